// The version and the names every Windows program shows, in one place: the
// C++ code and the .rc files include it, make dist and the binary tests read
// it. Plain defines of literals only, so that windres and the scripts can.
#pragma once

// The numbers and the short text change together: 4,0,0,0 is "4.00".
#define ORV_VERSION 4,0,0,0
#define ORV_VERSION_TEXT "4.00"

#define ORV_COMPANY "Orvik Software"
#define ORV_COPYRIGHT "(c) 1997-2026 Orvik Software"

// The product of each agent edition; the installer and orvprobe belong to
// the first.
#define ORV_PRODUCT "Orvik Windows Agent"
#define ORV_PRODUCT_SECOND "Quorvane Windows Agent"

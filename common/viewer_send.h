// How long the agent, orvprobe and orvdesk wait on another clipboard
// viewer: a notification passed down the chain, or a question to its head.
// Each such send uses SendMessageTimeout with SMTO_ABORTIFHUNG, so that a
// window the system knows to be hung costs nothing at all, and one that is
// merely slow at most this.
#pragma once
#include <cstdint>

constexpr uint32_t viewer_send_timeout_ms = 500;

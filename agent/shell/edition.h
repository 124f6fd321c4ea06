// The agent's edition, a build-time setting: it decides the window class
// name (also the window title and the tray tip) and the About dialog.
#pragma once

#ifndef AGENT_EDITION
#define AGENT_EDITION 1
#endif

constexpr int agent_edition = AGENT_EDITION;
static_assert(agent_edition == 1 || agent_edition == 2, "editions are 1 and 2");

constexpr const char* agent_class_name =
    agent_edition == 1 ? "Orvik Windows Agent" : "Quorvane Windows Agent";
constexpr int about_dialog_id = agent_edition == 1 ? 101 : 102;

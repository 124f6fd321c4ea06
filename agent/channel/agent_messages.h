// Window messages the agent window handles, with the values Windows gives them.
#pragma once
#include <cstdint>

constexpr unsigned msg_create = 0x0001;         // WM_CREATE
constexpr unsigned msg_destroy = 0x0002;        // WM_DESTROY
constexpr unsigned msg_draw_clipboard = 0x0308; // WM_DRAWCLIPBOARD
constexpr unsigned msg_change_cb_chain = 0x030D;// WM_CHANGECBCHAIN
constexpr unsigned msg_null = 0x0000;           // WM_NULL
constexpr unsigned msg_timer = 0x0113;          // WM_TIMER

// The agent window's one timer: the viewer chain's check.
constexpr uintptr_t chain_check_timer = 1;

// Private messages of the agent window.
constexpr unsigned WM_AGENT_TRAY = 0x401;     // tray icon callback
constexpr unsigned WM_AGENT_PRINT = 0x402;    // a print job to complete
constexpr unsigned WM_AGENT_REQUEST = 0x403;  // a captured request copy

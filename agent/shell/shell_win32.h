// Pieces of the agent shell that talk to Windows directly.
#pragma once
#include <windows.h>

extern HINSTANCE agent_instance;

LRESULT CALLBACK agent_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Adds the tray icon; the first call also registers the shell's restart message.
void tray_add(HWND window, const char* tip);
// True, with the icon added again as at start-up, when the message is the
// one a restarted shell broadcasts.
bool tray_shell_restarted(HWND window, UINT message);
void tray_remove(HWND window);
void tray_callback(HWND window, LPARAM mouse_message);

void show_about(HWND owner);

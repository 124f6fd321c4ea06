// Pieces of the agent shell that talk to Windows directly.
#pragma once
#include <windows.h>

extern HINSTANCE agent_instance;

LRESULT CALLBACK agent_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

void tray_add(HWND window, const char* tip);
void tray_remove(HWND window);
void tray_callback(HWND window, LPARAM mouse_message);

void show_about(HWND owner);

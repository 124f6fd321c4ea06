#include <windows.h>

#include "stop_running_agent.h"

void stop_running_agent(const char* class_name) {
  HWND running = FindWindowA(class_name, nullptr);
  if (!running) return;
  PostMessageA(running, WM_DESTROY, 0, 0);
  Sleep(500);
}

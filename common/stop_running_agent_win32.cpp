#include <windows.h>

#include "stop_running_agent.h"

namespace {

class win32_agent_stop final : public agent_stop_os {
 public:
  void* find_agent_window(const char* class_name) override { return FindWindowA(class_name, nullptr); }
  void post_destroy(void* window) override { PostMessageA(HWND(window), WM_DESTROY, 0, 0); }
  void* hold_process(void* window) override {
    DWORD id = 0;
    GetWindowThreadProcessId(HWND(window), &id);
    return id ? OpenProcess(SYNCHRONIZE, FALSE, id) : nullptr;
  }
  bool process_ended(void* process) override {
    return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  }
  void release_process(void* process) override { CloseHandle(process); }
  void sleep_ms(uint32_t ms) override { Sleep(ms); }
  uint32_t tick_ms() override { return GetTickCount(); }
};

win32_agent_stop system_stop;

}  // namespace

agent_stop_os& system_agent_stop() { return system_stop; }

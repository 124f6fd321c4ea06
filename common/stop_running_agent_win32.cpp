#include <windows.h>

#include "stop_running_agent.h"

namespace {

class win32_agent_stop final : public agent_stop_os {
 public:
  void* find_agent_window(const char* class_name) override { return FindWindowA(class_name, nullptr); }
  void post_destroy(void* window) override { PostMessageA(HWND(window), WM_DESTROY, 0, 0); }
  void sleep_ms(uint32_t ms) override { Sleep(ms); }
  uint32_t tick_ms() override { return GetTickCount(); }
};

win32_agent_stop system_stop;

}  // namespace

agent_stop_os& system_agent_stop() { return system_stop; }

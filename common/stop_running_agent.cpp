#include "common/stop_running_agent.h"

#include "common/retry_within.h"

bool stop_running_agent(agent_stop_os& os, const char* class_name) {
  void* told = nullptr;
  return retry_within(
      agent_stop_wait_ms, agent_stop_poll_ms,
      [&] {
        void* window = os.find_agent_window(class_name);
        if (!window) return true;
        if (window != told) os.post_destroy(told = window);
        return false;
      },
      [&] { return os.tick_ms(); }, [&](uint32_t ms) { os.sleep_ms(ms); });
}

#include "common/stop_running_agent.h"

#include "common/retry_within.h"

bool stop_running_agent(agent_stop_os& os, const char* class_name) {
  void* told = nullptr;
  void* process = nullptr;
  bool stopped = retry_within(
      agent_stop_wait_ms, agent_stop_poll_ms,
      [&] {
        void* window = os.find_agent_window(class_name);
        if (window && window != told) {
          if (process) os.release_process(process);
          process = os.hold_process(told = window);
          os.post_destroy(window);
        }
        return !window && (!process || os.process_ended(process));
      },
      [&] { return os.tick_ms(); }, [&](uint32_t ms) { os.sleep_ms(ms); });
  if (process) os.release_process(process);
  return stopped;
}

#include "agent/shell/startup.h"

#include "common/agent_classes.h"
#include "common/retry_within.h"

// Starts are serialised by the lock, from stopping the running agents to
// having a window of our own: of several agents started at once, each one
// in turn replaces the one before it, so exactly one is left, the last to
// get the lock. Once the window exists, the next start can find it, and the
// lock is let go. A start that cannot get the lock goes on without it.
int agent_start(startup_os& os, agent_stop_os& stop, const char* class_name) {
  bool locked = os.lock_startup(startup_lock_wait_ms);
  auto unlock = [&] {
    if (locked) os.unlock_startup();
  };
  for (const char* running : agent_class_names) stop_running_agent(stop, running);
  if (stop.find_agent_window(class_name)) {  // it did not quit; leave it be
    unlock();
    return 0;
  }
  os.record_instance();
  os.set_normal_priority();
  os.register_window_class(class_name);
  os_handle window = nullptr;
  retry_within(
      window_retry_ms, window_retry_pause_ms,
      [&] { return (window = os.create_agent_window(class_name)) != nullptr; },
      [&] { return stop.tick_ms(); }, [&](uint32_t ms) { stop.sleep_ms(ms); });
  if (!window) {
    unlock();
    return exit_no_window;
  }
  os.add_tray_icon(window, class_name);
  unlock();
  return os.run_message_loop();
}

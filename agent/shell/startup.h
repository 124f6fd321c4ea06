// The agent's start-up, decided here and carried out through startup_os:
// stop running agents, refuse to run twice, make the window and the tray
// icon, then run the message loop until the window is destroyed.
#pragma once
#include <cstdint>

#include "agent/channel/channel_os.h"
#include "common/stop_running_agent.h"

class startup_os {
 public:
  // The start-up lock, one for every agent of either edition: whoever holds
  // it is the only agent between stopping the others and having its own
  // window. False when it could not be had within wait_ms.
  virtual bool lock_startup(uint32_t wait_ms) = 0;
  virtual void unlock_startup() = 0;
  virtual void record_instance() = 0;
  virtual void set_normal_priority() = 0;
  virtual void register_window_class(const char* class_name) = 0;
  virtual os_handle create_agent_window(const char* class_name) = 0;
  virtual void add_tray_icon(os_handle window, const char* tip) = 0;
  virtual int run_message_loop() = 0;  // the WM_QUIT's wParam

 protected:
  ~startup_os() = default;
};

// Exit code when the agent window cannot be made: the agent would otherwise
// wait in a message loop with no window, where nothing can ever stop it.
constexpr int exit_no_window = 1;

// Making the window can fail for a moment for reasons outside the agent
// (on Windows 95, USER's heap full until another program lets go of some):
// the start asks again for this long before it gives up. Under Wine a
// process that could not load its display driver stays without one, and
// asking again does not help there.
constexpr uint32_t window_retry_ms = 3000;
constexpr uint32_t window_retry_pause_ms = 100;

// How long a start waits for another start to finish: longer than one start
// can take when every older agent needs the whole stop wait and the window
// is asked for again until the end.
constexpr uint32_t startup_lock_wait_ms = 4 * agent_stop_wait_ms;
static_assert(startup_lock_wait_ms > 3 * agent_stop_wait_ms + window_retry_ms);

int agent_start(startup_os& os, agent_stop_os& stop, const char* class_name);

// The agent's start-up, decided here and carried out through startup_os:
// stop running agents, refuse to run twice, make the window and the tray
// icon, then run the message loop until the window is destroyed.
#pragma once

#include "agent/channel/channel_os.h"

class startup_os {
 public:
  virtual void stop_running_agent(const char* class_name) = 0;
  virtual bool window_of_class_exists(const char* class_name) = 0;
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

int agent_start(startup_os& os, const char* class_name);

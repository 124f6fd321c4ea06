// Asks the running agent of a window class to quit and waits until it has.
// WM_DESTROY goes to the class's window; the class is then looked for again
// every agent_stop_poll_ms until no window of it is left and the process of
// the window told last has ended (its program file is in use until then,
// and on a slow machine that is a while after its window went), or
// agent_stop_wait_ms have passed. An agent that is slow to end (a busy
// machine; under Wine, managed windows without a window manager take about
// 1.5 s) is waited for, and one that ends at once costs one poll. A second
// window of the class that shows up in the meantime gets WM_DESTROY too.
// Used by the agent's start-up and by the installer, whose copy of the agent
// file needs the old agent gone.
#pragma once
#include <cstdint>

class agent_stop_os {
 public:
  virtual void* find_agent_window(const char* class_name) = 0;  // a top-level window, or null
  virtual void post_destroy(void* window) = 0;
  // The process that made the window, held until release_process; null
  // when it can't be had (then only the window is waited for).
  virtual void* hold_process(void* window) = 0;
  virtual bool process_ended(void* process) = 0;
  virtual void release_process(void* process) = 0;
  virtual void sleep_ms(uint32_t ms) = 0;
  virtual uint32_t tick_ms() = 0;  // milliseconds; may wrap around

 protected:
  ~agent_stop_os() = default;
};

constexpr uint32_t agent_stop_wait_ms = 5000;
constexpr uint32_t agent_stop_poll_ms = 50;

// True when no window of the class is left and its process has ended.
bool stop_running_agent(agent_stop_os& os, const char* class_name);

// The running system's windows and clock (stop_running_agent_win32.cpp).
agent_stop_os& system_agent_stop();

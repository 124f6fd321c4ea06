// A recording fake of the desktop services' platform layer: a list of
// top-level windows in Z order, the kernel path calls, the Help viewer and
// a scripted file-open dialog. Every call is logged in order.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "agent/services/desktop_os.h"

struct fake_window {
  os_handle handle;
  std::string title;
  std::string class_name = "Notepad";
  bool iconic = false;
  bool visible = true;
};

struct fake_dialog_call {
  dialog_record record;  // as handed over
  std::string initial_dir, file, filter;  // buffer contents at the call (filter up to 64 bytes)
  bool open_state_pending;
};

struct fake_desktop_state {
  std::vector<fake_window> windows;  // Z order, topmost first
  std::vector<std::string> calls;    // "text 0x10", "class 0x10", ...
  std::vector<uint32_t> buffer_capacities;  // of every title and class read

  std::string windows_dir = "C:\\WINDOWS";
  uint32_t windows_dir_result = 0;  // when nonzero, returned instead of the length

  std::string short_path;             // what GetShortPathNameA gives
  uint32_t short_path_result = 0;     // when nonzero, returned instead of the length
  std::vector<std::string> short_path_queries;

  std::string program_path = "C:\\Program Files\\Orvik\\OrvAgent.exe";
  uint32_t program_path_result = 0;   // when nonzero, returned instead of the length
  std::vector<std::string> help_calls;
  int clipboard_publications_at_help = -1;  // publications before the first help call

  // The dialog: what it writes back, and what happens while it is open.
  bool dialog_result = true;
  std::string dialog_chosen = "C:\\DOCS\\NOTE.TXT";
  uint32_t dialog_filter_out = 1;
  std::function<void()> while_open;
  std::vector<fake_dialog_call> dialogs;
};

extern fake_desktop_state fake_desk;

// Clears the fake, the channel fake and the desktop services' own state.
void fake_desktop_reset();
os_handle fake_window_handle(int index);  // a distinct handle for window index

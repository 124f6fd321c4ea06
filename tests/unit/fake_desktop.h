// A recording fake of the desktop services' platform layer: top-level windows
// in Z order, the kernel path calls, the Help viewer and a scripted dialog.
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
  dialog_record record;                   // as handed over
  std::string initial_dir, file, filter;  // buffer contents at the call (filter: 64 bytes)
  bool open_state_pending;
};

struct fake_desktop_state {
  std::vector<fake_window> windows;  // topmost first
  // Window calls in order, naming windows by index: "first null", "text 0/128"
  // (with the buffer capacity), "is_window 0", "next 0", ...
  std::vector<std::string> calls;
  std::string windows_dir = "C:\\WINDOWS";
  std::string short_path;
  uint32_t short_path_result = 0;  // when nonzero, returned instead of the length
  std::vector<std::string> short_path_queries;
  std::string program_path = "C:\\Program Files\\Orvik\\OrvAgent.exe";
  std::vector<std::string> help_calls;
  int clipboard_publications_at_help = -1;  // publications before the first help call
  bool dialog_result = true;
  std::string dialog_chosen = "C:\\DOCS\\NOTE.TXT";
  uint32_t dialog_filter_out = 1;
  std::function<void()> while_open;  // run while the outermost dialog is open
  std::vector<fake_dialog_call> dialogs;
};

extern fake_desktop_state fake_desk;

// Clears the fake, the channel fake and the desktop services' own state.
void fake_desktop_reset();
os_handle fake_window_handle(int index);

// A recording fake of the desktop services' platform: top-level windows in Z order, the kernel
// path calls, the Help viewer and a scripted file-open dialog.
#pragma once
#include <functional>

#include "agent/services/desktop_os.h"
#include "agent/services/file_dialog.h"
#include "fake_os.h"

struct fake_window { os_handle handle; std::string title, class_name = "Notepad";
                     bool iconic = false, visible = true; };

struct fake_desktop_state {
  std::vector<fake_window> windows;  // topmost first
  std::string windows_dir = "C:\\WINDOWS", short_path;
  std::string program_path = "C:\\Program Files\\Orvik\\OrvAgent.exe";
  strings help_calls;  // "FILE after N" replies published
  bool dialog_result = true;
  std::string dialog_chosen = "C:\\DOCS\\NOTE.TXT";
  uint32_t dialog_filter_out = 1;
  std::function<void()> while_open;  // run while the outermost dialog is open
  // Each dialog as it ends: "TITLE over N: DIR|FILE pair I", " pending" when it opened so.
  strings dialogs;
};
inline fake_desktop_state fake_desk;

// Also resets the channel fake and the dialog service.
inline void fake_desktop_reset() { fake_desk = {}; fake_reset(); file_dialog_reset(); }
inline os_handle fake_window_handle(int i) { return os_handle(uintptr_t(0x10000 + 16 * i)); }

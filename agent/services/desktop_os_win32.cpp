// The desktop services' platform calls, straight onto Win32.
#include <windows.h>
#include <commdlg.h>

#include <cstddef>

#include "desktop_os.h"

static HWND as_window(os_handle window) { return static_cast<HWND>(window); }

os_handle desktop_first_window() { return GetWindow(GetDesktopWindow(), GW_CHILD); }
os_handle desktop_next_window(os_handle window) { return GetWindow(as_window(window), GW_HWNDNEXT); }

uint32_t desktop_window_text(os_handle window, char* buffer, uint32_t capacity) {
  int length = GetWindowTextA(as_window(window), buffer, int(capacity));
  return length > 0 ? uint32_t(length) : 0;
}
uint32_t desktop_class_name(os_handle window, char* buffer, uint32_t capacity) {
  int length = GetClassNameA(as_window(window), buffer, int(capacity));
  return length > 0 ? uint32_t(length) : 0;
}
bool desktop_is_window(os_handle window) { return IsWindow(as_window(window)) != 0; }
bool desktop_is_iconic(os_handle window) { return IsIconic(as_window(window)) != 0; }
bool desktop_is_visible(os_handle window) { return IsWindowVisible(as_window(window)) != 0; }

uint32_t desktop_windows_directory(char* buffer, uint32_t capacity) {
  return GetWindowsDirectoryA(buffer, capacity);
}
uint32_t desktop_short_path(const char* long_path, char* buffer, uint32_t capacity) {
  return GetShortPathNameA(long_path, buffer, capacity);
}
uint32_t desktop_program_path(char* buffer, uint32_t capacity) {
  return GetModuleFileNameA(nullptr, buffer, capacity);
}

void desktop_show_help(const char* help_file) { WinHelpA(nullptr, help_file, HELP_CONTENTS, 0); }

// One record for the agent's lifetime, zeroed at first use; fields the agent
// does not set stay zero.
static_assert(sizeof(void*) != 4 || offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76,
              "the Windows 95 record is 76 bytes in the 32-bit build");
static OPENFILENAMEA dialog;
static bool dialog_ready = false;

bool desktop_open_file_dialog(dialog_record& record) {
  if (!dialog_ready) {
    dialog_ready = true;
    ZeroMemory(&dialog, sizeof dialog);
    // The Windows 95 layout: 76 bytes in the 32-bit build, its own width in
    // the 64-bit build.
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  }
  dialog.hwndOwner = as_window(record.owner);
  dialog.lpstrFilter = record.filter;
  dialog.nFilterIndex = record.filter_index;
  dialog.lpstrFile = record.file;
  dialog.nMaxFile = record.file_capacity;
  dialog.lpstrFileTitle = record.file_title;
  dialog.nMaxFileTitle = record.file_title_capacity;
  dialog.lpstrInitialDir = record.initial_dir;
  dialog.lpstrTitle = record.title;
  dialog.Flags = record.flags;
  BOOL chosen = GetOpenFileNameA(&dialog);
  record.filter_index = dialog.nFilterIndex;
  return chosen != 0;
}

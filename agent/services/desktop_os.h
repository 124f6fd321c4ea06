// What the desktop services need of the platform: facts about top-level
// windows, a few kernel path calls, the common file-open dialog and the Help
// viewer. The Win32 adapter (desktop_os_win32.cpp) implements these; unit
// tests put a recording fake in their place.
#pragma once
#include <cstdint>

#include "agent/channel/channel_os.h"

// Top-level window list, one step at a time (no snapshot).
os_handle desktop_first_window();                // first child of the desktop window
os_handle desktop_next_window(os_handle window);  // next in Z order, or null
// Title or class name into buffer (capacity bytes, always terminated);
// returns the characters copied.
uint32_t desktop_window_text(os_handle window, char* buffer, uint32_t capacity);
uint32_t desktop_class_name(os_handle window, char* buffer, uint32_t capacity);
bool desktop_is_window(os_handle window);
bool desktop_is_iconic(os_handle window);
bool desktop_is_visible(os_handle window);

// These return what the kernel call returns: the length written, 0 on
// failure, or the size needed (capacity or more) when the buffer is short.
uint32_t desktop_windows_directory(char* buffer, uint32_t capacity);
uint32_t desktop_short_path(const char* long_path, char* buffer, uint32_t capacity);
uint32_t desktop_program_path(char* buffer, uint32_t capacity);

// Asks the Help viewer for the contents page of help_file.
void desktop_show_help(const char* help_file);

// The fields of the file-open dialog that the agent sets; every other field
// of the platform's record stays zero. The dialog writes the chosen full
// path into file and the filter pair the user ended with into filter_index.
struct dialog_record {
  os_handle owner;
  const char* filter;  // pairs of NUL-terminated texts, ended by an empty one
  uint32_t filter_index;
  char* file;
  uint32_t file_capacity;
  char* file_title;
  uint32_t file_title_capacity;
  const char* initial_dir;
  const char* title;
  uint32_t flags;
};

// Runs the modal dialog; true when the user chose a file.
bool desktop_open_file_dialog(dialog_record& record);

#include "fake_desktop.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "agent/services/file_dialog.h"
#include "fake_os.h"

fake_desktop_state fake_desk;

void fake_desktop_reset() {
  fake_desk = fake_desktop_state{};
  fake_reset();
  file_dialog_reset();
}

os_handle fake_window_handle(int index) { return reinterpret_cast<os_handle>(uintptr_t(0x10000 + 16 * index)); }

static std::string name_of(os_handle window) {
  char text[32];
  snprintf(text, sizeof text, "%p", window);
  return window ? text : "null";
}

static void log(const char* what, os_handle window) {
  fake_desk.calls.push_back(std::string(what) + " " + name_of(window));
}

static const fake_window* find(os_handle window) {
  for (auto& w : fake_desk.windows)
    if (window && w.handle == window) return &w;
  return nullptr;
}

// Copies like the user32 calls: at most capacity - 1 characters, terminated.
static uint32_t bounded_copy(const std::string& text, char* buffer, uint32_t capacity) {
  if (capacity == 0) return 0;
  uint32_t n = uint32_t(std::min<size_t>(text.size(), capacity - 1));
  memcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return n;
}

os_handle desktop_first_window() {
  log("first", nullptr);
  return fake_desk.windows.empty() ? nullptr : fake_desk.windows.front().handle;
}

os_handle desktop_next_window(os_handle window) {
  log("next", window);
  for (size_t i = 0; i < fake_desk.windows.size(); i++)
    if (window && fake_desk.windows[i].handle == window)
      return i + 1 < fake_desk.windows.size() ? fake_desk.windows[i + 1].handle : nullptr;
  return nullptr;
}

uint32_t desktop_window_text(os_handle window, char* buffer, uint32_t capacity) {
  log("text", window);
  fake_desk.buffer_capacities.push_back(capacity);
  const fake_window* w = find(window);
  return bounded_copy(w ? w->title : "", buffer, capacity);
}

uint32_t desktop_class_name(os_handle window, char* buffer, uint32_t capacity) {
  log("class", window);
  fake_desk.buffer_capacities.push_back(capacity);
  const fake_window* w = find(window);
  return bounded_copy(w ? w->class_name : "", buffer, capacity);
}

bool desktop_is_window(os_handle window) {
  log("is_window", window);
  return find(window) != nullptr;
}

bool desktop_is_iconic(os_handle window) {
  log("is_iconic", window);
  const fake_window* w = find(window);
  return w && w->iconic;
}

bool desktop_is_visible(os_handle window) {
  log("is_visible", window);
  const fake_window* w = find(window);
  return w && w->visible;
}

uint32_t desktop_windows_directory(char* buffer, uint32_t capacity) {
  if (fake_desk.windows_dir_result) return fake_desk.windows_dir_result;
  if (fake_desk.windows_dir.size() >= capacity) return uint32_t(fake_desk.windows_dir.size() + 1);
  return bounded_copy(fake_desk.windows_dir, buffer, capacity);
}

uint32_t desktop_short_path(const char* long_path, char* buffer, uint32_t capacity) {
  fake_desk.short_path_queries.push_back(long_path);
  if (fake_desk.short_path_result) {  // a usable path in the buffer, whatever the result says
    bounded_copy(fake_desk.short_path, buffer, capacity);
    return fake_desk.short_path_result;
  }
  // Like GetShortPathNameA: a short buffer gets nothing and the size needed.
  if (fake_desk.short_path.size() >= capacity) return uint32_t(fake_desk.short_path.size() + 1);
  return bounded_copy(fake_desk.short_path, buffer, capacity);
}

uint32_t desktop_program_path(char* buffer, uint32_t capacity) {
  if (fake_desk.program_path_result) return fake_desk.program_path_result;
  // Like GetModuleFileNameA: a short buffer gets a cut path and its size.
  uint32_t n = bounded_copy(fake_desk.program_path, buffer, capacity);
  return fake_desk.program_path.size() >= capacity ? capacity : n;
}

void desktop_show_help(const char* help_file) {
  if (fake_desk.help_calls.empty()) fake_desk.clipboard_publications_at_help = fake.publications;
  fake_desk.help_calls.push_back(help_file);
}

bool desktop_open_file_dialog(dialog_record& record) {
  fake_dialog_call call{record, record.initial_dir, record.file,
                        std::string(record.filter, 64), file_dialog_state() == DLG_PENDING};
  fake_desk.dialogs.push_back(call);
  // A nested dialog does not run the script again.
  static int depth = 0;
  if (fake_desk.while_open && depth == 0) {
    depth++;
    fake_desk.while_open();
    depth--;
  }
  record.filter_index = fake_desk.dialog_filter_out;
  if (!fake_desk.dialog_result) return false;
  bounded_copy(fake_desk.dialog_chosen, record.file, record.file_capacity);
  return true;
}

#include "fake_desktop.h"

#include <algorithm>
#include <cstring>

static std::string index_of(os_handle w) { return std::to_string((uintptr_t(w) - 0x10000) / 16); }

static const fake_window* find(os_handle window) {
  for (auto& w : fake_desk.windows)
    if (window && w.handle == window) return &w;
  return nullptr;
}

// Like the user32 calls: at most capacity - 1 characters, terminated.
static uint32_t bounded_copy(const std::string& text, char* buffer, uint32_t capacity) {
  uint32_t n = uint32_t(std::min<size_t>(text.size(), capacity - 1));
  memcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return n;
}
// Like the kernel calls: a short buffer gets nothing and the size needed.
static uint32_t sized_copy(const std::string& text, char* buffer, uint32_t capacity) {
  return text.size() >= capacity ? uint32_t(text.size() + 1) : bounded_copy(text, buffer, capacity);
}

os_handle desktop_first_window() {
  return fake_desk.windows.empty() ? nullptr : fake_desk.windows[0].handle;
}
os_handle desktop_next_window(os_handle window) {
  const fake_window* w = find(window);
  return w && w != &fake_desk.windows.back() ? w[1].handle : nullptr;
}
uint32_t desktop_window_text(os_handle w, char* out, uint32_t capacity) {
  return bounded_copy(find(w) ? find(w)->title : "", out, capacity);
}
uint32_t desktop_class_name(os_handle w, char* out, uint32_t capacity) {
  return bounded_copy(find(w) ? find(w)->class_name : "", out, capacity);
}
bool desktop_is_window(os_handle window) { return find(window); }
bool desktop_is_iconic(os_handle window) { return find(window) && find(window)->iconic; }
bool desktop_is_visible(os_handle window) { return find(window) && find(window)->visible; }

uint32_t desktop_windows_directory(char* out, uint32_t capacity) {
  return sized_copy(fake_desk.windows_dir, out, capacity);
}
uint32_t desktop_short_path(const char*, char* out, uint32_t capacity) {
  return sized_copy(fake_desk.short_path, out, capacity);
}
uint32_t desktop_program_path(char* out, uint32_t capacity) {  // cut to the buffer: its size
  uint32_t n = bounded_copy(fake_desk.program_path, out, capacity);
  return fake_desk.program_path.size() >= capacity ? capacity : n;
}
void desktop_show_help(const char* file) {
  fake_desk.help_calls.push_back(file + (" after " + std::to_string(fake.publications)));
}

bool desktop_open_file_dialog(dialog_record& record) {
  std::string pending = file_dialog_state() == DLG_PENDING ? " pending" : "";
  static int depth = 0;  // a nested dialog does not run the script again
  if (depth++ == 0 && fake_desk.while_open) fake_desk.while_open();
  depth--;
  fake_desk.dialogs.push_back(std::string(record.title) + " over " + index_of(record.owner) + ": " +
                              record.initial_dir + "|" + record.file + " pair " +
                              std::to_string(record.filter_index) + pending);
  record.filter_index = fake_desk.dialog_filter_out;
  if (!fake_desk.dialog_result) return false;
  bounded_copy(fake_desk.dialog_chosen, record.file, record.file_capacity);
  return true;
}

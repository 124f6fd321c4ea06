#include "dialog_paths.h"

#include <cstring>

#include "desktop_os.h"

// Bounded copy that always terminates; keeps at most capacity - 1 characters.
static void copy_text(char* out, uint32_t capacity, const char* text, size_t length) {
  if (length > capacity - 1) length = capacity - 1;
  memcpy(out, text, length);
  out[length] = 0;
}

const char* file_name_part(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; p++)
    if (*p == ':' || *p == '\\') name = p + 1;
  return name;
}

void initial_directory(const char* path, char* out) {
  const char* slash = strrchr(path, '\\');
  if (slash) {
    // The backslash goes too, so a file in a root directory gives "C:".
    copy_text(out, dialog_buffer_size, path, size_t(slash - path));
    return;
  }
  uint32_t length = desktop_windows_directory(out, dialog_buffer_size);
  if (length == 0 || length >= dialog_buffer_size) {
    copy_text(out, dialog_buffer_size, "c:\\", 3);
  } else if (out[1] == ':' && out[2] == '\\') {
    out[3] = 0;  // the drive root
  } else {
    out[0] = 0;
  }
}

void initial_file_name(const char* path, char* out) {
  const char* name = file_name_part(path);
  copy_text(out, dialog_buffer_size, name, strlen(name));
}

int compose_chosen_path(const char* full_path, const char* short_path, char* out, uint32_t capacity) {
  const char* slash = strrchr(short_path, '\\');
  if (!slash) return -1;
  size_t dir_length = size_t(slash - short_path);
  bool ends_in_slash = dir_length > 0 && short_path[dir_length - 1] == '\\';
  const char* name = file_name_part(full_path);
  size_t name_length = strlen(name);
  size_t total = dir_length + (ends_in_slash ? 0 : 1) + name_length;
  if (total >= capacity) return -1;
  memcpy(out, short_path, dir_length);
  size_t at = dir_length;
  if (!ends_in_slash) out[at++] = '\\';
  memcpy(out + at, name, name_length + 1);
  return int(dir_length);
}

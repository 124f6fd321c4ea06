#include "setup/path_text.h"

#include <cstring>

namespace {

char lower_ascii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool is_separator(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool same_text_ignoring_case(const char* a, const char* b, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (lower_ascii(a[i]) != lower_ascii(b[i])) return false;
  }
  return true;
}

bool equal_ignoring_case(const char* a, const char* b) {
  size_t length = strlen(a);
  return length == strlen(b) && same_text_ignoring_case(a, b, length);
}

bool ends_with_ignoring_case(const char* text, const char* tail) {
  size_t length = strlen(text), tail_length = strlen(tail);
  return length >= tail_length &&
         same_text_ignoring_case(text + length - tail_length, tail, tail_length);
}

bool copy_text(char* out, size_t capacity, const char* text) {
  if (capacity == 0) return false;
  out[0] = '\0';
  return append_text(out, capacity, text);
}

bool append_text(char* out, size_t capacity, const char* text) {
  size_t used = strnlen(out, capacity);
  size_t length = strlen(text);
  if (used >= capacity || length >= capacity - used) return false;
  memcpy(out + used, text, length + 1);
  return true;
}

bool append_number(char* out, size_t capacity, uint32_t value) {
  char digits[11];  // 4294967295 and the terminator
  size_t at = sizeof digits - 1;
  digits[at] = '\0';
  do {
    digits[--at] = static_cast<char>('0' + value % 10);  // 32-bit division: no runtime call
    value /= 10;
  } while (value != 0);
  return append_text(out, capacity, digits + at);
}

bool has_dot_component(const char* path) {
  size_t dots = 0;  // in the component so far; -1 once it holds anything else
  for (const char* at = path;; ++at) {
    if (*at == '\\' || *at == '/' || *at == '\0') {
      if (dots == 1 || dots == 2) return true;
      if (*at == '\0') return false;
      dots = 0;
    } else {
      dots = *at == '.' && dots != size_t(-1) ? dots + 1 : size_t(-1);
    }
  }
}

bool is_drive_path(const char* path) {
  return is_letter(path[0]) && path[1] == ':' && path[2] == '\\' && !has_dot_component(path);
}

bool is_drive_folder(const char* path) {
  if (!is_drive_path(path)) return false;
  for (const char* at = path + 2; *at; ++at)
    if (is_separator(*at) && (is_separator(at[1]) || at[1] == '\0')) return false;
  return true;
}

bool directory_file(char* out, size_t capacity, const char* directory, const char* tail) {
  if (capacity == 0) return false;
  out[0] = '\0';
  if (directory[0] == '\0') return false;  // would land in the root of the current drive
  if (copy_text(out, capacity, directory) && append_text(out, capacity, tail)) return true;
  out[0] = '\0';
  return false;
}

#include "setup/path_text.h"

#include <cstring>

namespace {

char lower_ascii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool same_text_ignoring_case(const char* a, const char* b, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (lower_ascii(a[i]) != lower_ascii(b[i])) return false;
  }
  return true;
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

bool directory_file(char* out, size_t capacity, const char* directory, const char* tail) {
  if (capacity == 0) return false;
  out[0] = '\0';
  if (directory[0] == '\0') return false;  // would land in the root of the current drive
  if (copy_text(out, capacity, directory) && append_text(out, capacity, tail)) return true;
  out[0] = '\0';
  return false;
}

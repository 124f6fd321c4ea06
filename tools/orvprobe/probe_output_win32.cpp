#include <windows.h>

#include <cstdarg>
#include <cstring>

#include "tools/orvprobe/probe_output.h"

namespace {

char buffer[4096];
uint32_t used = 0;

void write_handle(DWORD which, const char* text, uint32_t length) {
  DWORD written;
  if (length) WriteFile(GetStdHandle(which), text, length, &written, nullptr);
}

void flush() {
  write_handle(STD_OUTPUT_HANDLE, buffer, used);
  used = 0;
}

}  // namespace

void out_write(const char* text, uint32_t length) {
  if (length > sizeof buffer - used) flush();
  if (length > sizeof buffer) return write_handle(STD_OUTPUT_HANDLE, text, length);
  memcpy(buffer + used, text, length);
  used += length;
}

void out_text(const char* text) { out_write(text, uint32_t(strlen(text))); }

void out_format(const char* format, ...) {
  char text[1025];
  va_list arguments;
  va_start(arguments, format);
  int length = wvsprintfA(text, format, arguments);
  va_end(arguments);
  if (length > 0) out_write(text, uint32_t(length));
}

void out_line_end() {
  out_write("\n", 1);
  flush();
}

void err_text(const char* text) { write_handle(STD_ERROR_HANDLE, text, uint32_t(strlen(text))); }

json_out out_json() { return json_out{out_write}; }

int usage_error(const char* word, const char* text) {
  err_text(program_name);
  err_text(" ");
  err_text(word);
  err_text(": ");
  err_text(text);
  err_text("\n");
  return exit_usage;
}

// The text layout over any bytes on any device. Input: font height, width,
// height and fit answer (s32 each; below -1: 10 units a character), a repeat
// count, then the text, which the file holds that many times over so that
// chunk seams are reached. The device checks the calls: documents and pages
// nest, no line is longer than a source line or holds a break, and in text
// without NULs no character is lost.
#include <algorithm>
#include <cstring>

#include "agent/print/print_device.h"
#include "agent/print/print_os.h"
#include "agent/print/text_layout.h"

static void check(bool ok) { if (!ok) __builtin_trap(); }

static int32_t metric[4];
static const uint8_t* text;
static size_t text_size, file_size, read_at, drawn;
static bool document_open, page_open;

uint32_t print_os_read_file(os_handle, uint8_t* buffer, uint32_t count) {
  uint32_t n = uint32_t(std::min<size_t>(count, file_size - read_at));
  for (uint32_t i = 0; i < n; i++) buffer[i] = text[(read_at + i) % text_size];
  read_at += n;
  return n;
}

void device_set_text_mapping(os_handle) {}
int32_t device_font_height(os_handle) { return metric[0]; }
int32_t device_width(os_handle) { return metric[1]; }
int32_t device_height(os_handle) { return metric[2]; }
void device_start_document(os_handle, const char*, const char*) { check(!document_open); document_open = true; }
void device_start_page(os_handle) { check(document_open && !page_open); page_open = true; }
void device_end_page(os_handle) { check(page_open); page_open = false; }
void device_end_document(os_handle) { check(document_open && !page_open); document_open = false; }
void device_draw_text(os_handle, int32_t, int32_t, const char* chars, int32_t count) {
  check(page_open && count >= 0 && count <= max_line_chars);
  for (const char* c = chars; c < chars + count; c++) {
    check(*c != '\r' && *c != '\n' && *c != 0);
    drawn += *c != ' ';
  }
}
int32_t device_fit_count(os_handle, const char*, int32_t count, int32_t max_extent) {
  return metric[3] >= -1 ? metric[3] : std::min(max_extent / 10, count);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < sizeof metric + 2) return 0;
  memcpy(metric, data, sizeof metric);
  text = data + sizeof metric + 1;
  text_size = size - sizeof metric - 1;
  file_size = text_size * (1 + data[sizeof metric] % 32);
  read_at = drawn = 0;
  print_text(reinterpret_cast<os_handle>(1), reinterpret_cast<os_handle>(2), "doc");
  check(read_at == file_size && !document_open);
  if (!memchr(text, 0, text_size)) {
    auto mark = [](uint8_t c) { return c != ' ' && c != '\r' && c != '\n'; };
    check(drawn == size_t(std::count_if(text, text + text_size, mark)) * (file_size / text_size));
  }
  return 0;
}

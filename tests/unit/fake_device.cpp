#include "fake_device.h"

#include <algorithm>

#include "agent/print/print_device.h"

fake_device_state device;

void fake_device_reset() { device = fake_device_state{}; }

std::vector<std::string> drawn_lines() {
  std::vector<std::string> lines;
  for (const auto& e : device.events) {
    if (e.kind == ev_draw) lines.push_back(e.text);
  }
  return lines;
}

int count_events(device_event_kind kind) {
  return int(std::count_if(device.events.begin(), device.events.end(), [&](const auto& e) { return e.kind == kind; }));
}

static void log(device_event_kind kind, os_handle dc, std::string text = {}, int32_t x = 0, int32_t y = 0) {
  device.events.push_back({kind, dc, x, y, std::move(text), {}});
}

void device_set_text_mapping(os_handle dc) { log(ev_mapping, dc); }
int32_t device_font_height(os_handle) { return device.font_height; }
int32_t device_width(os_handle) { return device.width; }
int32_t device_height(os_handle) { return device.height; }
void device_start_document(os_handle dc, const char* document_name, const char* data_type) {
  device.events.push_back({ev_start_document, dc, 0, 0, document_name, data_type});
}
void device_start_page(os_handle dc) { log(ev_start_page, dc); }
void device_end_page(os_handle dc) { log(ev_end_page, dc); }
void device_end_document(os_handle dc) { log(ev_end_document, dc); }
void device_draw_text(os_handle dc, int32_t x, int32_t y, const char* chars, int32_t count) {
  log(ev_draw, dc, std::string(chars, size_t(count)), x, y);
}

int32_t device_fit_count(os_handle, const char*, int32_t count, int32_t max_extent) {
  device.fit_calls++;
  if (device.fixed_fit >= -1) return device.fixed_fit;
  return std::min(max_extent / 10, count);  // characters of width 10
}

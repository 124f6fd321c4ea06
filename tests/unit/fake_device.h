// A recording printer device: every call is logged as an event; the fit
// count follows a fixed character width unless fixed_fit overrides it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "agent/channel/channel_os.h"

enum device_event_kind { ev_mapping, ev_start_document, ev_start_page, ev_draw, ev_end_page, ev_end_document };

struct device_event {
  device_event_kind kind;
  os_handle dc;
  int32_t x, y;
  std::string text;       // drawn bytes, or the document name
  std::string data_type;  // for ev_start_document
};

struct fake_device_state {
  int32_t font_height = 25, width = 110 + 10 * 1000, height = 1000;  // 1000 characters of width 10
  int32_t fixed_fit = -2;  // >= -1: the fit count every measurement returns
  int fit_calls = 0;
  std::vector<device_event> events = {};
};

extern fake_device_state device;

void fake_device_reset();
std::vector<std::string> drawn_lines();
int count_events(device_event_kind kind);

// The layout's device on a GDI printer device context.
#include <windows.h>

#include "agent/print/print_device.h"

static HDC as_dc(os_handle dc) { return static_cast<HDC>(dc); }

void device_set_text_mapping(os_handle dc) { SetMapMode(as_dc(dc), MM_TEXT); }

int32_t device_font_height(os_handle dc) {
  TEXTMETRICA metrics = {};
  GetTextMetricsA(as_dc(dc), &metrics);
  return metrics.tmHeight;
}

int32_t device_width(os_handle dc) { return GetDeviceCaps(as_dc(dc), HORZRES); }
int32_t device_height(os_handle dc) { return GetDeviceCaps(as_dc(dc), VERTRES); }

bool device_start_document(os_handle dc, const char* document_name, const char* data_type) {
  DOCINFOA info = {};
  info.cbSize = sizeof info;
  info.lpszDocName = document_name;
  info.lpszOutput = nullptr;
  info.lpszDatatype = data_type;
  info.fwType = 0;
  return StartDocA(as_dc(dc), &info) > 0;
}

void device_start_page(os_handle dc) { StartPage(as_dc(dc)); }
void device_end_page(os_handle dc) { EndPage(as_dc(dc)); }
void device_end_document(os_handle dc) { EndDoc(as_dc(dc)); }

void device_draw_text(os_handle dc, int32_t x, int32_t y, const char* chars, int32_t count) {
  TextOutA(as_dc(dc), x, y, chars, count);
}

int32_t device_fit_count(os_handle dc, const char* chars, int32_t count, int32_t max_extent) {
  INT fit = 0;
  SIZE size = {};
  if (!GetTextExtentExPointA(as_dc(dc), chars, count, max_extent, &fit, nullptr, &size)) return -1;
  return fit;
}

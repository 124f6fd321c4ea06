// What the text layout needs of a printer device context. The GDI adapter
// (gdi_device_win32.cpp) implements these on an HDC; unit tests and the
// benchmark put a recording or counting device in their place.
#pragma once
#include <cstdint>

#include "agent/channel/channel_os.h"

// Coordinates in device units, origin top-left, y downward.
void device_set_text_mapping(os_handle dc);
int32_t device_font_height(os_handle dc);
int32_t device_width(os_handle dc);   // printable width in device units
int32_t device_height(os_handle dc);  // printable height in device units

// False when the printer takes no document: StartDoc failed, or the user
// cancelled the Print to File dialog that a FILE: port shows inside it.
bool device_start_document(os_handle dc, const char* document_name, const char* data_type);
void device_start_page(os_handle dc);
void device_end_page(os_handle dc);
void device_end_document(os_handle dc);

// Draws count bytes with the top-left of the text cell at (x, y).
void device_draw_text(os_handle dc, int32_t x, int32_t y, const char* chars, int32_t count);

// How many leading characters fit within max_extent; -1 when the
// measurement fails.
int32_t device_fit_count(os_handle dc, const char* chars, int32_t count, int32_t max_extent);

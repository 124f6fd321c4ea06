// What printing needs of the platform besides the device: the spool file,
// the printer's device context and the list of printers. The Win32 adapter
// is print_os_win32.cpp; unit tests use a recording fake.
#pragma once
#include <cstdint>

#include "agent/channel/channel_os.h"

// Opens an existing file for reading, unshared; null when it can't be opened.
os_handle print_os_open_file(const char* path);
// Reads up to count bytes; a failed read reads 0.
uint32_t print_os_read_file(os_handle file, uint8_t* buffer, uint32_t count);
void print_os_close_file(os_handle file);
void print_os_delete_file(const char* path);

// A device context for the named printer, or null.
os_handle print_os_create_dc(const char* printer_name);
void print_os_delete_dc(os_handle dc);

// Calls visit once for each local printer, in the platform's order, with
// its name and attribute bits. A failed enumeration visits none.
using printer_visitor = void (*)(const char* name, uint32_t attributes);
void print_os_enum_printers(printer_visitor visit);

// The default printer setting ("name,driver,port"), or an empty text.
void print_os_default_device(char* out, uint32_t capacity);

constexpr uint32_t printer_attribute_default = 4;

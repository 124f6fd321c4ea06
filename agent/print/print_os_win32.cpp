// Spool files, printer device contexts and the printer enumeration on Win32.
#include <windows.h>
#include <winspool.h>

#include "agent/print/print_os.h"

os_handle print_os_open_file(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

uint32_t print_os_read_file(os_handle file, uint8_t* buffer, uint32_t count) {
  DWORD got = 0;
  if (!ReadFile(file, buffer, count, &got, nullptr)) return 0;
  return got;
}

void print_os_close_file(os_handle file) { CloseHandle(file); }
void print_os_delete_file(const char* path) { DeleteFileA(path); }

os_handle print_os_create_dc(const char* printer_name) {
  return CreateDCA(nullptr, printer_name, nullptr, nullptr);
}

void print_os_delete_dc(os_handle dc) { DeleteDC(static_cast<HDC>(dc)); }

// Level 5 carries the name and attributes without asking each printer's
// driver. The area is sized by a first call; a printer added between the
// two calls makes the second one short, so it is asked again.
void print_os_enum_printers(printer_visitor visit) {
  HANDLE heap = GetProcessHeap();
  for (int attempt = 0; attempt < 3; attempt++) {
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 5, nullptr, 0, &needed, &count);
    if (needed == 0) return;  // none, or the spooler isn't there
    auto* area = static_cast<BYTE*>(HeapAlloc(heap, 0, needed));
    if (!area) return;
    if (EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 5, area, needed, &needed, &count)) {
      auto* records = reinterpret_cast<PRINTER_INFO_5A*>(area);
      for (DWORD i = 0; i < count; i++) {
        if (records[i].pPrinterName) visit(records[i].pPrinterName, records[i].Attributes);
      }
      HeapFree(heap, 0, area);
      return;
    }
    DWORD error = GetLastError();  // before HeapFree, which may set its own
    HeapFree(heap, 0, area);
    if (error != ERROR_INSUFFICIENT_BUFFER) return;
  }
}

void print_os_default_device(char* out, uint32_t capacity) {
  if (capacity == 0) return;
  out[0] = 0;
  GetProfileStringA("windows", "device", "", out, capacity);
}

// orvdesk gdi-objects: how many GDI objects a process holds. Windows 95
// shares one 64 KB GDI heap among all programs, so a resident agent must not
// gain objects over a day; under Wine 8 GetGuiResources is a stub, so the
// count is read from the process's GDI handle table, which Wine keeps in the
// process itself and names in its PEB (GdiSharedHandleTable).
#include <windows.h>
#include <winternl.h>

#include <cstddef>

#include "tools/orvdesk/desk_commands.h"
#include "tools/orvprobe/probe_output.h"

namespace {

// Where the PEB keeps the table's address: a pointer-sized field, at 0x94 in
// a 32-bit PEB and at 0xF8 in a 64-bit one. Both sides of the read are of
// this program's width (the harness runs one build in a prefix of its width).
constexpr size_t peb_gdi_table = sizeof(void*) == 4 ? 0x94 : 0xF8;

// One entry of the table, the same in 32- and 64-bit processes: the object's
// address (8 bytes), owner (4), the handle's upper word (2: type with the
// stock flag, and a generation), then the type byte, which is 0 while the
// entry is free, a flags byte and a user pointer (8).
constexpr size_t entry_size = 24, entry_type = 14, entry_ext_type = 12;
constexpr size_t entry_count = 0x10000;
constexpr uint8_t stock_flag = 0x80;  // in the handle's upper word's low byte

// The kinds, by the handle's full type (the type byte keeps its low 5 bits
// only, which a pen shares with a brush).
struct kind {
  uint8_t type;
  const char* name;
};
constexpr kind kinds[] = {{0x01, "dc"},       {0x41, "memory_dc"}, {0x04, "region"},
                          {0x08, "palette"},  {0x09, "bitmap"},    {0x0a, "font"},
                          {0x10, "brush"},    {0x30, "pen"},       {0x50, "ext_pen"},
                          {0x21, "enh_metafile_dc"}, {0x26, "metafile"},
                          {0x46, "enh_metafile"},    {0x66, "metafile_dc"}};
constexpr size_t kind_count = sizeof kinds / sizeof kinds[0];

struct gdi_count {
  uint32_t total = 0, stock = 0;
  uint32_t by_kind[kind_count] = {};
  uint32_t by_type[0x80] = {};  // kinds not named above, by their full type
};

using query_fn = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);

// The table's address in the process, or 0.
uintptr_t table_address(HANDLE process) {
  auto query = reinterpret_cast<query_fn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic{};
  if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return 0;
  uintptr_t table = 0;
  SIZE_T read = 0;
  if (!ReadProcessMemory(process, static_cast<char*>(static_cast<void*>(basic.PebBaseAddress)) +
                                      peb_gdi_table, &table, sizeof table, &read) ||
      read != sizeof table)
    return 0;
  return table;
}

// Reads the table a slice at a time; false when it cannot be read.
bool count_objects(HANDLE process, gdi_count& count) {
  uintptr_t table = table_address(process);
  if (!table) return false;
  static uint8_t slice[4096 * entry_size];  // 4,096 entries: a whole number of pages
  for (size_t first = 0; first < entry_count; first += sizeof slice / entry_size) {
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(table + first * entry_size), slice,
                           sizeof slice, &read) || read != sizeof slice)
      return false;
    for (size_t at = 0; at < sizeof slice; at += entry_size) {
      const uint8_t* entry = slice + at;
      if (entry[entry_type] == 0) continue;
      count.total++;
      if (entry[entry_ext_type] & stock_flag) count.stock++;
      uint8_t type = entry[entry_ext_type] & uint8_t(~stock_flag);
      size_t k = 0;
      while (k < kind_count && kinds[k].type != type) k++;
      if (k < kind_count) count.by_kind[k]++;
      else count.by_type[type]++;
    }
  }
  return true;
}

void count_json(json_out& out, const char* name, const gdi_count& count) {
  json_open(out, name);
  json_uint(out, "total", count.total);
  json_uint(out, "stock", count.stock);
  for (size_t k = 0; k < kind_count; k++)
    if (count.by_kind[k]) json_uint(out, kinds[k].name, count.by_kind[k]);
  for (uint32_t type = 0; type < 0x80; type++) {
    char name[16];
    wsprintfA(name, "type_0x%02x", type);
    if (count.by_type[type]) json_uint(out, name, count.by_type[type]);
  }
  json_close(out);
}

int failed(const char* what, DWORD pid, int code = exit_failed) {
  json_out out = out_json();
  json_open(out);
  json_uint(out, "pid", pid);
  json_null(out, "gdi_objects");
  json_close(out);
  out_line_end();
  out_format("orvdesk gdi-objects: %s, process %lu (error %lu)", what, pid, GetLastError());
  out_line_end();
  return code;
}

// orvdesk itself with N more brushes, then with them deleted: shows that
// the count follows what a process makes and deletes.
int check_with_brushes(int64_t brushes) {
  HANDLE self = GetCurrentProcess();
  DWORD pid = GetCurrentProcessId();
  static HBRUSH made[1000];
  if (brushes < 1 || brushes > 1000) return usage_error("gdi-objects", "--brushes takes 1 to 1000");
  gdi_count before, with, after;
  if (!count_objects(self, before)) return failed("no GDI table", pid);
  for (int64_t i = 0; i < brushes; i++) made[i] = CreateSolidBrush(RGB(i, 0, 0));
  bool counted = count_objects(self, with);
  for (int64_t i = 0; i < brushes; i++) DeleteObject(made[i]);
  if (!counted || !count_objects(self, after)) return failed("no GDI table", pid);
  json_out out = out_json();
  json_open(out);
  json_uint(out, "pid", pid);
  json_uint(out, "brushes", uint32_t(brushes));
  count_json(out, "gdi_objects", before);
  count_json(out, "with_brushes", with);
  count_json(out, "after_delete", after);
  json_close(out);
  out_line_end();
  return exit_ok;
}

}  // namespace

// orvdesk gdi-objects (--pid N | --hwnd H | --class C [--title T]) | --brushes N
int cmd_gdi_objects(const probe_args& args) {
  int64_t number = 0;
  if (args.number("brushes", number)) return check_with_brushes(number);
  DWORD pid = 0;
  if (args.number("pid", number)) {
    pid = DWORD(number);
  } else if (args.has("hwnd") || args.has("class") || args.has("title")) {
    HWND window = target_window(args);
    if (!window || !GetWindowThreadProcessId(window, &pid)) return failed("no window", 0, exit_no_reply);
  } else {
    return usage_error("gdi-objects", "give --pid, a window or --brushes");
  }
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return failed("cannot open", pid);
  gdi_count count;
  bool counted = count_objects(process, count);
  CloseHandle(process);
  if (!counted) return failed("cannot read the GDI table", pid);
  json_out out = out_json();
  json_open(out);
  json_uint(out, "pid", pid);
  count_json(out, "gdi_objects", count);
  json_close(out);
  out_line_end();
  return exit_ok;
}

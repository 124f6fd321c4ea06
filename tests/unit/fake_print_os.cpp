#include "fake_print_os.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "agent/print/print_device.h"
#include "agent/print/print_os.h"
#include "agent/print/spool_os.h"

static uintptr_t next_handle = 0x800000;

static void note(const std::string& entry) { print_fake.log.push_back(entry); }
static os_handle opened(const std::string& verb, const char* name, bool exists) {
  note(verb + name);
  auto h = reinterpret_cast<os_handle>(next_handle += 0x10);
  if (exists) print_fake.open[h] = name;
  return exists ? h : nullptr;
}
static void closing(const char* verb, os_handle h) {  // throws for a handle that is not open
  note(verb + print_fake.open.at(h));
  print_fake.open.erase(h);
}

os_handle print_os_open_file(const char* path) {
  print_fake.read_at = 0;
  return opened("open ", path, print_fake.files.count(path));
}
uint32_t print_os_read_file(os_handle file, uint8_t* buffer, uint32_t count) {
  const std::string& text = print_fake.files[print_fake.open.at(file)];
  size_t n = std::min(text.size() - print_fake.read_at, size_t(count));
  memcpy(buffer, text.data() + print_fake.read_at, n);
  print_fake.read_at += n;
  return uint32_t(n);
}
void print_os_close_file(os_handle file) { closing("close ", file); }
void print_os_delete_file(const char* path) {
  note(std::string("delete ") + path);
  print_fake.files.erase(path);
}
os_handle print_os_create_dc(const char* printer) {
  return opened("dc ", printer, print_fake.printers_with_dc.count(printer));
}
void print_os_delete_dc(os_handle dc) { closing("delete dc ", dc); }
void print_os_enum_printers(printer_visitor visit) {
  for (const auto& [name, attributes] : print_fake.printers) visit(name.c_str(), attributes);
}
void print_os_default_device(char* out, uint32_t size) {
  snprintf(out, size, "%s", print_fake.default_device.c_str());
}

uint32_t spool_os_environment(const char* name, char* out, uint32_t capacity) {
  std::string value = print_fake.environment.count(name) ? print_fake.environment[name] : "";
  if (value.size() < capacity) memcpy(out, value.c_str(), value.size() + 1);
  return uint32_t(value.size());
}
path_state spool_os_path_state(const char* path) {
  std::string p = path;
  if (!print_fake.denied.empty() && p.starts_with(print_fake.denied)) return path_denied;
  return print_fake.files.count(p) || print_fake.directories.count(p) ? path_exists : path_missing;
}
bool spool_os_is_lead_byte(uint8_t byte) { return byte == 0x81; }

static void on(os_handle dc, const std::string& entry) {  // throws for a DC that is not open
  print_fake.open.at(dc);
  note(entry);
}
void device_set_text_mapping(os_handle dc) { on(dc, "map"); }
int32_t device_font_height(os_handle) { return print_fake.device.font_height; }
int32_t device_width(os_handle) { return print_fake.device.width; }
int32_t device_height(os_handle) { return print_fake.device.height; }
bool device_start_document(os_handle dc, const char* name, const char* type) {
  on(dc, "doc " + std::string(name) + "/" + type);
  if (auto loop = std::exchange(print_fake.device.inside_start, nullptr)) loop();
  return print_fake.device.takes_documents;
}
void device_start_page(os_handle dc) { on(dc, "page"); }
void device_end_page(os_handle dc) { on(dc, "end page"); }
void device_end_document(os_handle dc) { on(dc, "end doc"); }
void device_draw_text(os_handle dc, int32_t x, int32_t y, const char* chars, int32_t count) {
  print_fake.lines.emplace_back(chars, size_t(count));
  on(dc, print_fake.lines.back() + "@" + std::to_string(x) + "," + std::to_string(y));
}
int32_t device_fit_count(os_handle, const char*, int32_t count, int32_t max_extent) {
  int32_t fixed = print_fake.device.fixed_fit;
  return fixed >= -1 ? fixed : std::min(max_extent / 10, count);
}

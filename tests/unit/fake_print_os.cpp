#include "fake_print_os.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "agent/print/print_os.h"
#include "agent/print/spool_os.h"

fake_print_os_state print_fake;
static uintptr_t next_handle = 0x800000;

void fake_print_os_reset() { print_fake = fake_print_os_state{}; }

template <class Map>
static os_handle new_handle(Map& open, typename Map::mapped_type value) {
  auto h = reinterpret_cast<os_handle>(next_handle += 0x10);
  open[h] = value;
  return h;
}
static void note(const char* what, const std::string& name) { print_fake.log.push_back(what + name); }

os_handle print_os_open_file(const char* path) {
  note("open ", path);
  return print_fake.files.count(path) ? new_handle(print_fake.open_files, {path, 0}) : nullptr;
}

uint32_t print_os_read_file(os_handle file, uint8_t* buffer, uint32_t count) {
  auto& [path, position] = print_fake.open_files.at(file);
  size_t n = std::min(print_fake.files[path].size() - position, size_t(count));
  memcpy(buffer, print_fake.files[path].data() + position, n);
  position += n;
  return uint32_t(n);
}

void print_os_close_file(os_handle file) {
  note("close ", print_fake.open_files.at(file).first);
  print_fake.open_files.erase(file);
}

void print_os_delete_file(const char* path) { note("delete ", path); print_fake.files.erase(path); }

os_handle print_os_create_dc(const char* printer) {
  note("dc ", printer);
  return print_fake.printers_with_dc.count(printer) ? new_handle(print_fake.open_dcs, printer) : nullptr;
}

void print_os_delete_dc(os_handle dc) {
  note("delete dc ", print_fake.open_dcs.at(dc));
  print_fake.open_dcs.erase(dc);
}

void print_os_enum_printers(printer_visitor visit) {
  for (const auto& [name, attributes] : print_fake.printers) visit(name.c_str(), attributes);
}

void print_os_default_device(char* out, uint32_t size) { snprintf(out, size, "%s", print_fake.default_device.c_str()); }

uint32_t spool_os_environment(const char* name, char* out, uint32_t capacity) {
  auto it = print_fake.environment.find(name);
  if (it == print_fake.environment.end()) return 0;
  if (it->second.size() < capacity) memcpy(out, it->second.c_str(), it->second.size() + 1);
  return uint32_t(it->second.size());
}

path_state spool_os_path_state(const char* path) {
  print_fake.tested.push_back(path);
  const std::string& prefix = print_fake.denied_prefix;
  if (print_fake.denied.count(path) || (!prefix.empty() && std::string(path).starts_with(prefix))) return path_denied;
  return print_fake.files.count(path) || print_fake.directories.count(path) ? path_exists : path_missing;
}

bool spool_os_is_lead_byte(uint8_t byte) { return print_fake.lead_bytes.count(byte) > 0; }

#include "fake_print_os.h"

#include <cstdio>
#include <cstring>

#include "agent/print/print_os.h"
#include "agent/print/spool_os.h"

fake_print_os_state print_fake;
static uintptr_t next_handle = 0x800000;

void fake_print_os_reset() { print_fake = fake_print_os_state{}; }

static os_handle new_handle() { return reinterpret_cast<os_handle>(next_handle += 0x10); }

os_handle print_os_open_file(const char* path) {
  print_fake.log.push_back(std::string("open ") + path);
  if (!print_fake.files.count(path)) return nullptr;
  for (auto& entry : print_fake.open_files) {
    if (entry.second.path == path) return nullptr;  // opened unshared
  }
  os_handle h = new_handle();
  print_fake.open_files[h] = {path, 0};
  return h;
}

uint32_t print_os_read_file(os_handle file, uint8_t* buffer, uint32_t count) {
  auto it = print_fake.open_files.find(file);
  if (it == print_fake.open_files.end()) return 0;
  const std::string& content = print_fake.files[it->second.path];
  size_t left = content.size() - it->second.position;
  size_t n = left < count ? left : count;
  memcpy(buffer, content.data() + it->second.position, n);
  it->second.position += n;
  return uint32_t(n);
}

void print_os_close_file(os_handle file) {
  auto it = print_fake.open_files.find(file);
  print_fake.log.push_back("close " + (it == print_fake.open_files.end() ? std::string("?") : it->second.path));
  if (it != print_fake.open_files.end()) print_fake.open_files.erase(it);
}

void print_os_delete_file(const char* path) {
  print_fake.log.push_back(std::string("delete ") + path);
  print_fake.files.erase(path);
}

os_handle print_os_create_dc(const char* printer_name) {
  print_fake.log.push_back(std::string("dc ") + printer_name);
  if (!print_fake.printers_with_dc.count(printer_name)) return nullptr;
  os_handle h = new_handle();
  print_fake.open_dcs[h] = printer_name;
  return h;
}

void print_os_delete_dc(os_handle dc) {
  print_fake.log.push_back("delete dc " + print_fake.open_dcs[dc]);
  print_fake.open_dcs.erase(dc);
}

void print_os_enum_printers(printer_visitor visit) {
  for (const auto& p : print_fake.printers) visit(p.name.c_str(), p.attributes);
}

void print_os_default_device(char* out, uint32_t capacity) {
  snprintf(out, capacity, "%s", print_fake.default_device.c_str());
}

uint32_t spool_os_environment(const char* name, char* out, uint32_t capacity) {
  auto it = print_fake.environment.find(name);
  if (it == print_fake.environment.end()) return 0;
  uint32_t length = uint32_t(it->second.size());
  if (length < capacity) {
    memcpy(out, it->second.c_str(), length + 1);
  } else if (capacity > 0) {
    out[0] = 0;
  }
  return length;
}

path_state spool_os_path_state(const char* path) {
  print_fake.tested.push_back(path);
  if (print_fake.denied.count(path)) return path_denied;
  if (!print_fake.denied_prefix.empty() && std::string(path).rfind(print_fake.denied_prefix, 0) == 0) return path_denied;
  if (print_fake.files.count(path) || print_fake.directories.count(path)) return path_exists;
  return path_missing;
}

bool spool_os_is_lead_byte(uint8_t byte) { return print_fake.lead_bytes.count(byte) > 0; }

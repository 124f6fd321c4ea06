#include "fake_install.h"

#include <cstring>

#include "setup/file_io.h"
#include "setup/windows_settings.h"

// A too small buffer gets no terminator and the size needed.
static uint32_t answer(const std::string& value, char* buffer, uint32_t size) {
  if (value.size() >= size) {
    memset(buffer, 'X', size);
    return uint32_t(value.size() + 1);
  }
  memcpy(buffer, value.c_str(), value.size() + 1);
  return uint32_t(value.size());
}
uint32_t read_windows_directory(char* out, uint32_t size) {
  return answer(fake_settings.windows_directory, out, size);
}
uint32_t read_system_directory(char* out, uint32_t size) {
  return answer(fake_settings.system_directory, out, size);
}
uint32_t read_environment_variable(const char* name, char* out, uint32_t size) {
  if (std::string(name) != "PATH" || !fake_settings.path) return 0;
  ++fake_settings.path_reads;
  return answer(*fake_settings.path, out, size);
}

// Map nodes stay put; a file is deleted only once closed.
struct open_file { std::vector<uint8_t>& bytes; size_t position = 0; };
static file_handle opened(const char* path) {
  ++fake_files.open_handles;
  return new open_file{fake_files.files[path]};
}
static open_file& as_open(file_handle file) { return *static_cast<open_file*>(file); }

file_handle file_open_read(const char* path) {
  return fake_files.files.count(path) ? opened(path) : nullptr;
}
file_handle file_create(const char* path) {
  if (fake_files.locked.count(path)) return nullptr;
  fake_files.files[path].clear();
  return opened(path);
}
bool file_length(file_handle file, uint32_t* length) {
  *length = uint32_t(as_open(file).bytes.size());
  return !fake_files.fail_length;
}
bool file_read(file_handle file, void* buffer, uint32_t size, uint32_t* done) {
  open_file& f = as_open(file);
  int call = fake_files.reads++;
  *done = std::min<uint32_t>(size, uint32_t(f.bytes.size() - f.position));
  if (call == fake_files.fail_read_at) *done = 0;
  if (call == fake_files.short_read_at) --*done;
  memcpy(buffer, f.bytes.data() + f.position, *done);
  f.position += *done;
  return call != fake_files.fail_read_at;
}
bool file_write(file_handle file, const void* buffer, uint32_t size, uint32_t* done) {
  int call = fake_files.writes++;
  *done = size / (call == fake_files.short_write_at ? 2 : 1);
  auto* from = static_cast<const uint8_t*>(buffer);
  as_open(file).bytes.insert(as_open(file).bytes.end(), from, from + *done);
  return true;
}
void file_close(file_handle file) {
  --fake_files.open_handles;
  delete &as_open(file);
}
void file_delete(const char* path) { fake_files.files.erase(path); }
uint32_t read_module_path(char* out, uint32_t size) {
  return answer(fake_settings.module_path, out, size);
}
bool windows_is_nt() { return fake_settings.nt; }

static std::string cased(const char* text, int (*to)(int)) {
  std::string out(text ? text : "");
  for (char& c : out) c = char(to(c));
  return out;
}
static std::string key_of(registry_root root, const char* key) {
  return cased((std::string(root == classes_root ? "HKCR\\" : "HKLM\\") + key).c_str(), tolower);
}
static bool has_subkey(const fake_registry& registry, const std::string& key) {
  auto next = registry.keys.upper_bound(key);
  return next != registry.keys.end() && next->first.rfind(key + "\\", 0) == 0;
}
value_kind fake_registry::read_value(registry_root root, const char* key, const char* name,
                                     char* out, size_t capacity) {
  auto k = keys.find(key_of(root, key));
  out[0] = '\0';
  if (k == keys.end() || !k->second.count(cased(name, tolower))) return value_missing;
  auto [kind, text] = k->second[cased(name, tolower)];
  if (kind == value_unusable || text.size() >= capacity) return value_unusable;
  memcpy(out, text.c_str(), text.size() + 1);
  return kind;
}
bool fake_registry::write_value(registry_root root, const char* key, const char* name,
                                const char* text, value_kind kind) {
  std::string k = key_of(root, key);
  if (refuse_machine && root == local_machine) return false;
  for (size_t cut = 0; (cut = k.find('\\', cut + 1)) != std::string::npos;) keys[k.substr(0, cut)];
  keys[k][cased(name, tolower)] = {kind, text};
  return true;
}
bool fake_registry::delete_value(registry_root root, const char* key, const char* name) {
  auto k = keys.find(key_of(root, key));
  return !(refuse_machine && root == local_machine) && k != keys.end() &&
         k->second.erase(cased(name, tolower));
}
key_content fake_registry::key_state(registry_root root, const char* key) {
  auto k = keys.find(key_of(root, key));
  if (k == keys.end()) return key_missing;
  return k->second.empty() && !has_subkey(*this, k->first) ? key_empty : key_holds_something;
}
bool fake_registry::delete_key(registry_root root, const char* key) {
  return !(refuse_machine && root == local_machine) && !has_subkey(*this, key_of(root, key)) &&
         keys.erase(key_of(root, key));
}

uint32_t recording_removal::delete_file(const char* path) {
  add("delete " + std::string(path));
  return errors.count(path) ? errors[path] : files.erase(path) ? 0 : 2;
}
uint32_t recording_removal::remove_directory(const char* path) {
  add("rmdir " + std::string(path));
  for (auto& file : files)
    if (file.rfind(path + std::string("\\"), 0) == 0) return 145;  // not empty
  return 0;
}
bool recording_removal::short_path(const char* path, char* out, uint32_t capacity) {
  return answer(cased(path, toupper), out, capacity) < capacity;
}
uint32_t recording_removal::read_profile_section(const char*, const char*, char* out, uint32_t) {
  memcpy(out, wininit.c_str(), wininit.size() + 1);  // and the NUL after
  return uint32_t(wininit.size());
}
bool recording_removal::write_profile_section(const char*, const char*, const char* lines) {
  for (wininit.clear(); *lines; lines += strlen(lines) + 1) wininit += lines + std::string(1, '\0');
  return true;
}

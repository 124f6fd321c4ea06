#include "fake_install.h"

#include <strings.h>

#include <cstring>

#include "setup/install/file_io.h"
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
uint32_t read_shell_folder(shell_folder folder, char* out, uint32_t size) {
  const std::string& named = fake_settings.shell_folders[folder];
  return named.empty() ? 0 : answer(named, out, size);
}
uint32_t read_program_files_dir(char* out, uint32_t size) {
  return fake_settings.program_files.empty() ? 0 : answer(fake_settings.program_files, out, size);
}
bool directory_exists(const char* path) {  // names compared without case, as Windows does
  auto same = [&](const std::string& folder) { return !strcasecmp(folder.c_str(), path); };
  return std::any_of(fake_settings.folders.begin(), fake_settings.folders.end(), same);
}
bool windows_is_nt() { return fake_settings.nt; }

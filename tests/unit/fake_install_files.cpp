#include "fake_install_files.h"

#include <algorithm>
#include <cstring>

#include "setup/file_io.h"

fake_install_files_state fake_files;

namespace {

struct open_file {
  std::vector<uint8_t>& bytes;  // map nodes stay put; a file is deleted only once closed
  size_t position = 0;
};

file_handle opened(const char* path) {
  ++fake_files.open_handles;
  return new open_file{fake_files.files[path]};
}

open_file& as_open(file_handle file) { return *static_cast<open_file*>(file); }

}  // namespace

file_handle file_open_read(const char* path) {
  return fake_files.files.count(path) ? opened(path) : nullptr;
}

file_handle file_create(const char* path) {
  if (fake_files.locked.count(path)) return nullptr;
  fake_files.files[path].clear();
  return opened(path);
}

bool file_length(file_handle file, uint32_t* length) {
  *length = static_cast<uint32_t>(as_open(file).bytes.size());
  return !fake_files.fail_length;
}

bool file_read(file_handle file, void* buffer, uint32_t size, uint32_t* done) {
  open_file& f = as_open(file);
  int call = fake_files.reads++;
  fake_files.read_sizes.push_back(size);
  *done = std::min<uint32_t>(size, f.bytes.size() - f.position);
  if (call == fake_files.fail_read_at) *done = 0;
  if (call == fake_files.short_read_at && *done > 0) --*done;
  memcpy(buffer, f.bytes.data() + f.position, *done);
  f.position += *done;
  return call != fake_files.fail_read_at;
}

bool file_write(file_handle file, const void* buffer, uint32_t size, uint32_t* done) {
  int call = fake_files.writes++;
  *done = call == fake_files.fail_write_at ? 0 : size / (call == fake_files.short_write_at ? 2 : 1);
  const auto* from = static_cast<const uint8_t*>(buffer);
  as_open(file).bytes.insert(as_open(file).bytes.end(), from, from + *done);
  return call != fake_files.fail_write_at;
}

void file_close(file_handle file) {
  --fake_files.open_handles;
  delete &as_open(file);
}

void file_delete(const char* path) {
  fake_files.deleted.push_back(path);
  fake_files.files.erase(path);
}

#include "fake_install_files.h"

#include <cstring>

#include "setup/file_io.h"

fake_install_files_state fake_files;

namespace {

struct open_file {
  std::string path;
  size_t position;
};

}  // namespace

void fake_files_reset() { fake_files = fake_install_files_state{}; }

std::vector<uint8_t> fake_file_bytes(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7 + i / 251);
  return bytes;
}

file_handle file_open_read(const char* path) {
  if (!fake_files.files.count(path)) return nullptr;
  ++fake_files.open_handles;
  return new open_file{path, 0};
}

file_handle file_create(const char* path) {
  if (fake_files.locked.count(path)) return nullptr;
  fake_files.files[path].clear();
  ++fake_files.open_handles;
  return new open_file{path, 0};
}

bool file_length(file_handle file, uint32_t* length) {
  if (fake_files.fail_length) return false;
  *length = static_cast<uint32_t>(fake_files.files[static_cast<open_file*>(file)->path].size());
  return true;
}

bool file_read(file_handle file, void* buffer, uint32_t size, uint32_t* done) {
  int call = fake_files.reads++;
  fake_files.read_sizes.push_back(size);
  *done = 0;
  if (call == fake_files.fail_read_at) return false;
  auto* f = static_cast<open_file*>(file);
  const auto& bytes = fake_files.files[f->path];
  size_t available = bytes.size() - f->position;
  size_t take = size < available ? size : available;
  if (call == fake_files.short_read_at && take > 0) take -= 1;
  memcpy(buffer, bytes.data() + f->position, take);
  f->position += take;
  *done = static_cast<uint32_t>(take);
  return true;
}

bool file_write(file_handle file, const void* buffer, uint32_t size, uint32_t* done) {
  int call = fake_files.writes++;
  *done = 0;
  if (call == fake_files.fail_write_at) return false;
  uint32_t put = call == fake_files.short_write_at ? size / 2 : size;
  auto& bytes = fake_files.files[static_cast<open_file*>(file)->path];
  const auto* from = static_cast<const uint8_t*>(buffer);
  bytes.insert(bytes.end(), from, from + put);
  *done = put;
  return true;
}

void file_close(file_handle file) {
  --fake_files.open_handles;
  delete static_cast<open_file*>(file);
}

void file_delete(const char* path) {
  fake_files.deleted.push_back(path);
  fake_files.files.erase(path);
}

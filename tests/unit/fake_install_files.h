// Files in memory behind copy_file, with failures of single reads and
// writes on demand.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

struct fake_install_files_state {
  std::map<std::string, std::vector<uint8_t>> files;
  std::set<std::string> locked;  // cannot be created (still in use)
  int open_handles = 0;
  std::vector<uint32_t> read_sizes;  // requested size of each read
  std::vector<std::string> deleted;

  // Zero-based call number at which a read or write fails or comes up short.
  int fail_read_at = -1;
  int short_read_at = -1;
  int fail_write_at = -1;
  int short_write_at = -1;
  bool fail_length = false;
  int reads = 0;
  int writes = 0;
};

extern fake_install_files_state fake_files;

void fake_files_reset();
std::vector<uint8_t> fake_file_bytes(size_t size, uint8_t seed);

// Files in memory behind copy_file, with single reads and writes failing on demand.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

struct fake_install_files_state {
  std::map<std::string, std::vector<uint8_t>> files;
  std::set<std::string> locked;  // cannot be created (still in use)
  std::vector<uint32_t> read_sizes;
  std::vector<std::string> deleted;
  // Zero-based call number at which a read or write fails or comes up short.
  int fail_read_at = -1, short_read_at = -1, fail_write_at = -1, short_write_at = -1;
  bool fail_length = false;
  int reads = 0, writes = 0, open_handles = 0;
};

extern fake_install_files_state fake_files;

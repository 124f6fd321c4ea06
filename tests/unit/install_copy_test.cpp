// copy_file: whole copies in 16 KiB chunks; any fault removes the partial destination.
#include <gtest/gtest.h>

#include "fake_install_files.h"
#include "setup/copy_file.h"

namespace {

using bytes = std::vector<uint8_t>;
using names = std::vector<std::string>;
const char source[] = "ORVAGENT.EXE", destination[] = "C:\\A\\OrvAgent.exe";

bytes pattern(size_t size, uint8_t seed) {
  bytes out(size);
  for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(seed + i * 7 + i / 251);
  return out;
}

void prepare(size_t source_size) {
  fake_files = {};
  fake_files.files[source] = pattern(source_size, 3);
  fake_files.files[destination] = pattern(90000, 9);
}

TEST(CopyFile, CopiesByteForByteInChunksOverTheOldDestination) {
  using sizes = std::vector<uint32_t>;
  for (auto [size, reads] : {std::pair{2 * copy_chunk_size + 7232,
                                       sizes{copy_chunk_size, copy_chunk_size, 7232}},
                             {0u, sizes{}}}) {
    prepare(size);
    EXPECT_EQ(copy_file(source, destination), 1) << size;
    EXPECT_EQ(fake_files.files.at(destination), fake_files.files.at(source));
    EXPECT_EQ(fake_files.read_sizes, reads);
    EXPECT_TRUE(fake_files.deleted.empty());
    EXPECT_EQ(fake_files.open_handles, 0);
  }
}

TEST(CopyFile, FailureLeavesNoPartialDestination) {
  const struct { const char* name; void (*fault)(); int reads, writes; bool removed; } cases[] = {
      {"missing source", [] { fake_files.files.erase(source); }, 0, 0, false},
      {"destination in use", [] { fake_files.locked.insert(destination); }, 0, 0, false},
      {"unknown length", [] { fake_files.fail_length = true; }, 0, 0, true},
      {"failed first read", [] { fake_files.fail_read_at = 0; }, 1, 0, true},
      {"failed later read", [] { fake_files.fail_read_at = 2; }, 3, 2, true},
      {"short read, never written", [] { fake_files.short_read_at = 1; }, 2, 1, true},
      {"failed write", [] { fake_files.fail_write_at = 1; }, 2, 2, true},
      {"short write", [] { fake_files.short_write_at = 0; }, 1, 1, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    prepare(3 * copy_chunk_size);
    c.fault();
    EXPECT_EQ(copy_file(source, destination), 0);
    EXPECT_EQ(fake_files.files.count(destination), c.removed ? 0u : 1u);
    if (!c.removed) { EXPECT_EQ(fake_files.files[destination], pattern(90000, 9)); }
    EXPECT_EQ(fake_files.deleted, c.removed ? names{destination} : names{});
    EXPECT_EQ(fake_files.reads, c.reads);  // nothing more is read after a fault
    EXPECT_EQ(fake_files.writes, c.writes);
    EXPECT_EQ(fake_files.open_handles, 0);
  }
}

}  // namespace

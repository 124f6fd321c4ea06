// copy_file: whole copies in 16 KiB chunks; any failed or short read or
// write removes the partial destination and reports failure.
#include <gtest/gtest.h>

#include "fake_install_files.h"
#include "setup/copy_file.h"

namespace {

class CopyFile : public ::testing::Test {
 protected:
  void SetUp() override { fake_files_reset(); }
  void TearDown() override { EXPECT_EQ(fake_files.open_handles, 0) << "a handle was left open"; }
};

TEST_F(CopyFile, CopiesByteForByteInChunks) {
  auto source = fake_file_bytes(2 * copy_chunk_size + 7232, 3);
  fake_files.files["ORVAGENT.EXE"] = source;
  fake_files.files["C:\\A\\OrvAgent.exe"] = fake_file_bytes(90000, 9);  // truncated first
  EXPECT_EQ(copy_file("ORVAGENT.EXE", "C:\\A\\OrvAgent.exe"), 1);
  EXPECT_EQ(fake_files.files["C:\\A\\OrvAgent.exe"], source);
  EXPECT_EQ(fake_files.read_sizes, (std::vector<uint32_t>{copy_chunk_size, copy_chunk_size, 7232}));
  EXPECT_TRUE(fake_files.deleted.empty());
}

TEST_F(CopyFile, EmptySourceGivesAnEmptyDestination) {
  fake_files.files["ORVIK.DOC"] = {};
  fake_files.files["C:\\A\\Orvik.doc"] = {1, 2, 3};
  EXPECT_EQ(copy_file("ORVIK.DOC", "C:\\A\\Orvik.doc"), 1);
  ASSERT_TRUE(fake_files.files.count("C:\\A\\Orvik.doc"));
  EXPECT_TRUE(fake_files.files["C:\\A\\Orvik.doc"].empty());
  EXPECT_TRUE(fake_files.read_sizes.empty());
}

TEST_F(CopyFile, MissingSourceLeavesTheDestinationAsItWas) {
  fake_files.files["C:\\A\\Orvik.doc"] = {1, 2, 3};
  EXPECT_EQ(copy_file("ORVIK.DOC", "C:\\A\\Orvik.doc"), 0);
  EXPECT_EQ(fake_files.files["C:\\A\\Orvik.doc"], (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_TRUE(fake_files.deleted.empty());
}

TEST_F(CopyFile, DestinationInUseFailsAndIsNotRemoved) {
  fake_files.files["ORVAGENT.EXE"] = fake_file_bytes(100, 1);
  fake_files.files["C:\\A\\OrvAgent.exe"] = {7};
  fake_files.locked.insert("C:\\A\\OrvAgent.exe");
  EXPECT_EQ(copy_file("ORVAGENT.EXE", "C:\\A\\OrvAgent.exe"), 0);
  EXPECT_EQ(fake_files.files["C:\\A\\OrvAgent.exe"], std::vector<uint8_t>{7});
  EXPECT_TRUE(fake_files.deleted.empty());
}

struct read_write_fault {
  const char* name;
  int fake_install_files_state::*field;
  int at;
};

class CopyFileFault : public CopyFile, public ::testing::WithParamInterface<read_write_fault> {};

TEST_P(CopyFileFault, RemovesThePartialDestination) {
  fake_files.files["ORVAGENT.EXE"] = fake_file_bytes(3 * copy_chunk_size, 5);
  fake_files.*(GetParam().field) = GetParam().at;
  EXPECT_EQ(copy_file("ORVAGENT.EXE", "C:\\A\\OrvAgent.exe"), 0);
  EXPECT_FALSE(fake_files.files.count("C:\\A\\OrvAgent.exe"));
  EXPECT_EQ(fake_files.deleted, std::vector<std::string>{"C:\\A\\OrvAgent.exe"});
  // The copy stops at the fault: nothing more is read.
  EXPECT_EQ(fake_files.reads, GetParam().at + 1);
  EXPECT_TRUE(fake_files.files.count("ORVAGENT.EXE"));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CopyFileFault,
    ::testing::Values(read_write_fault{"FailedFirstRead", &fake_install_files_state::fail_read_at, 0},
                      read_write_fault{"FailedLaterRead", &fake_install_files_state::fail_read_at, 2},
                      read_write_fault{"ShortRead", &fake_install_files_state::short_read_at, 1},
                      read_write_fault{"FailedWrite", &fake_install_files_state::fail_write_at, 1},
                      read_write_fault{"ShortWrite", &fake_install_files_state::short_write_at, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CopyFile, ShortReadNeverWritesBytesThatWereNotRead) {
  fake_files.files["ORVIK.EXE"] = fake_file_bytes(100, 2);
  fake_files.short_read_at = 0;
  EXPECT_EQ(copy_file("ORVIK.EXE", "C:\\E\\Orvik.exe"), 0);
  EXPECT_EQ(fake_files.writes, 0);
}

TEST_F(CopyFile, UnknownLengthFails) {
  fake_files.files["ORVIK.EXE"] = fake_file_bytes(100, 2);
  fake_files.fail_length = true;
  EXPECT_EQ(copy_file("ORVIK.EXE", "C:\\E\\Orvik.exe"), 0);
  EXPECT_FALSE(fake_files.files.count("C:\\E\\Orvik.exe"));
}

}  // namespace

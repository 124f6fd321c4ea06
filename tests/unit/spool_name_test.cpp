// Spool names: the choice of directory, the separator, the numbering that
// rises through the agent's run, and the cases that give no name at all.
#include <gtest/gtest.h>

#include <string>

#include "agent/channel/channel.h"
#include "agent/print/spool_name.h"
#include "fake_os.h"
#include "fake_print_os.h"

class spool : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_reset();
    fake_print_os_reset();
    spool_reset();
  }

  // One request 3 through the service; the name in reply 4, or "" without one.
  static std::string request() {
    size_t publications = size_t(fake.publications);
    spool_name_request(nullptr, 0);
    if (size_t(fake.publications) == publications) return "";
    auto reply = fake_clipboard_bytes();
    EXPECT_EQ(get_u16(reply.data() + off_code), 4);
    std::string name(reinterpret_cast<const char*>(reply.data() + header_size));
    EXPECT_EQ(get_u16(reply.data() + off_block_size), reply_size(uint32_t(name.size() + 1), 0));
    return name;
  }

  static std::string make(const char* directory, const char* prefix) {
    char out[spool_name_capacity];
    return make_spool_name(directory, prefix, out) ? out : "";
  }
};

TEST_F(spool, tmp_directory_gives_rising_numbers_from_2) {
  print_fake.environment["TMP"] = "D:\\TEMP";
  print_fake.directories.insert("D:\\TEMP");
  EXPECT_EQ(request(), "D:\\TEMP\\orv2");
  EXPECT_EQ(request(), "D:\\TEMP\\orv3");  // not yet created, still not handed out again
  EXPECT_EQ(spool_counter, 3u);
  EXPECT_EQ(spool_prefix_length, 3u);
}

TEST_F(spool, final_separator_is_not_doubled) {
  print_fake.environment["TMP"] = "D:\\TEMP\\";
  print_fake.directories.insert("D:\\TEMP\\");
  EXPECT_EQ(request(), "D:\\TEMP\\orv2");
  print_fake.environment["TMP"] = "D:/TEMP/";
  print_fake.directories.insert("D:/TEMP/");
  EXPECT_EQ(request(), "D:/TEMP/orv3");
}

TEST_F(spool, backslash_ending_a_double_byte_character_is_no_separator) {
  const std::string dir = "D:\\\x81\\";  // lead byte 0x81, then a trail byte of value 92
  print_fake.environment["TMP"] = dir;
  print_fake.directories.insert(dir);
  print_fake.lead_bytes.insert(0x81);
  EXPECT_EQ(request(), dir + "\\orv2");
  const std::string pair_then_separator = "D:\\\x81\\\\";
  print_fake.environment["TMP"] = pair_then_separator;
  print_fake.directories.insert(pair_then_separator);
  EXPECT_EQ(request(), pair_then_separator + "orv3");
}

TEST_F(spool, quoted_tmp_is_used_without_its_quotes) {
  print_fake.environment["TMP"] = "\"D:\\My Temp\"";
  print_fake.directories.insert("D:\\My Temp");
  print_fake.directories.insert("c:\\tmp");
  EXPECT_EQ(request(), "D:\\My Temp\\orv2");
}

TEST_F(spool, tmp_that_does_not_exist_falls_back_to_the_default) {
  print_fake.directories.insert("c:\\tmp");
  print_fake.environment["TMP"] = "D:\\GONE";
  EXPECT_EQ(request(), "c:\\tmp\\orv2");
  print_fake.environment["TMP"] = "\"\"";  // nothing left once unquoted
  EXPECT_EQ(request(), "c:\\tmp\\orv3");
  print_fake.environment.erase("TMP");
  EXPECT_EQ(request(), "c:\\tmp\\orv4");
}

TEST_F(spool, without_the_default_the_root_then_the_current_directory) {
  print_fake.directories.insert("\\");
  EXPECT_EQ(request(), "\\orv2");
  print_fake.directories.clear();
  EXPECT_EQ(request(), ".\\orv3");
}

TEST_F(spool, taken_and_denied_numbers_are_skipped) {
  print_fake.directories.insert("c:\\tmp");
  print_fake.files["c:\\tmp\\orv2"] = "";
  print_fake.denied.insert("c:\\tmp\\orv3");
  EXPECT_EQ(request(), "c:\\tmp\\orv4");
}

TEST_F(spool, name_longer_than_260_is_not_made_and_changes_nothing) {
  std::string at_limit = "D:\\" + std::string(242, 'd');  // 245 + 3 + 12 = 260
  std::string over = at_limit + "e";
  print_fake.directories.insert(at_limit);
  print_fake.directories.insert(over);
  print_fake.environment["TMP"] = over;
  EXPECT_EQ(request(), "");
  EXPECT_EQ(fake.publications, 0);
  EXPECT_EQ(spool_counter, 1u);
  EXPECT_EQ(spool_prefix_length, 0u);
  print_fake.environment["TMP"] = at_limit;
  EXPECT_EQ(request(), at_limit + "\\orv2");
}

TEST_F(spool, value_too_long_for_the_buffer_is_not_tested_as_a_path) {
  print_fake.environment["TMP"] = std::string(400, 't');
  print_fake.directories.insert("c:\\tmp");
  EXPECT_EQ(request(), "c:\\tmp\\orv2");
  for (const auto& path : print_fake.tested) EXPECT_LT(path.size(), 261u);
}

TEST_F(spool, numbers_run_out_after_32767_attempts) {
  print_fake.directories.insert("c:\\tmp");
  print_fake.denied_prefix = "c:\\tmp\\orv";
  EXPECT_EQ(request(), "");
  EXPECT_EQ(spool_counter, 1u + 32768u);
  print_fake.denied_prefix.clear();
  EXPECT_EQ(request(), "c:\\tmp\\orv32770");
}

TEST_F(spool, longer_prefix_counts_its_attempts_from_1) {
  print_fake.directories.insert("c:\\tmp");
  spool_counter = 40000;
  spool_prefix_length = 3;
  EXPECT_EQ(make("c:\\tmp", "orv"), "c:\\tmp\\orv40001");  // same length: from the last number
  EXPECT_EQ(make("c:\\tmp", "orvx"), "");                  // longer: 40002 - 1 is past the limit
  EXPECT_EQ(spool_prefix_length, 4u);
  EXPECT_EQ(make("c:\\tmp", "or"), "c:\\tmp\\or40003");  // shorter: from the last number again
}

TEST_F(spool, no_memory_for_the_reply_uses_the_number_up) {
  print_fake.directories.insert("c:\\tmp");
  fake.fail_alloc_after = 0;
  EXPECT_EQ(request(), "");
  fake.fail_alloc_after = -1;
  EXPECT_EQ(request(), "c:\\tmp\\orv3");
}

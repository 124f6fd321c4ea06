// Spool names: the choice of directory, the separator, the numbering that
// rises through the agent's run, and the cases that give no name at all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
};

TEST_F(spool, directory_is_tmp_then_unquoted_tmp_then_the_default_root_or_current) {
  const char* unset = nullptr;
  const std::string long_dir(400, 't'), dbcs = "D:\\\x81\\", dbcs_then_separator = "D:\\\x81\\\\";
  const struct {
    std::vector<std::string> directories;
    std::vector<std::pair<const char*, std::string>> tmp_then_name;  // in one run of the agent
  } cases[] = {
      {{"D:\\TEMP"}, {{"D:\\TEMP", "D:\\TEMP\\orv2"}, {"D:\\TEMP", "D:\\TEMP\\orv3"}}},
      {{"D:\\TEMP\\", "D:/TEMP/"}, {{"D:\\TEMP\\", "D:\\TEMP\\orv2"}, {"D:/TEMP/", "D:/TEMP/orv3"}}},
      // Lead byte 0x81 then a trail byte of value 92: no separator.
      {{dbcs, dbcs_then_separator},
       {{dbcs.c_str(), dbcs + "\\orv2"}, {dbcs_then_separator.c_str(), dbcs_then_separator + "orv3"}}},
      {{"D:\\My Temp", "c:\\tmp"}, {{"\"D:\\My Temp\"", "D:\\My Temp\\orv2"}}},
      {{"c:\\tmp"}, {{"D:\\GONE", "c:\\tmp\\orv2"}, {"\"\"", "c:\\tmp\\orv3"}, {unset, "c:\\tmp\\orv4"}}},
      {{"c:\\tmp"}, {{long_dir.c_str(), "c:\\tmp\\orv2"}}},  // too long for the buffer: not tested as a path
      {{"\\"}, {{unset, "\\orv2"}}},
      {{}, {{unset, ".\\orv2"}}},
  };
  for (const auto& c : cases) {
    SetUp();
    print_fake.lead_bytes.insert(0x81);
    print_fake.directories.insert(c.directories.begin(), c.directories.end());
    for (const auto& [tmp, name] : c.tmp_then_name) {
      SCOPED_TRACE(name);
      print_fake.environment.erase("TMP");
      if (tmp) print_fake.environment["TMP"] = tmp;
      EXPECT_EQ(request(), name);
    }
    for (const auto& path : print_fake.tested) EXPECT_LT(path.size(), 261u);
  }
  EXPECT_EQ(spool_counter, 2u);
  EXPECT_EQ(spool_prefix_length, 3u);
}

TEST_F(spool, taken_denied_and_spent_numbers_are_skipped_until_they_run_out) {
  print_fake.directories.insert("c:\\tmp");
  print_fake.files["c:\\tmp\\orv2"] = "";
  print_fake.denied.insert("c:\\tmp\\orv3");
  EXPECT_EQ(request(), "c:\\tmp\\orv4");
  fake.fail_alloc_after = 0;
  EXPECT_EQ(request(), "");  // no memory for the reply: the number is used up
  fake.fail_alloc_after = -1;
  EXPECT_EQ(request(), "c:\\tmp\\orv6");

  spool_reset();
  print_fake.denied_prefix = "c:\\tmp\\orv";
  EXPECT_EQ(request(), "");  // after 32767 attempts
  EXPECT_EQ(spool_counter, 1u + 32768u);
  print_fake.denied_prefix.clear();
  EXPECT_EQ(request(), "c:\\tmp\\orv32770");
}

TEST_F(spool, name_longer_than_260_is_not_made_and_changes_nothing) {
  std::string at_limit = "D:\\" + std::string(242, 'd');  // 245 + 3 + 12 = 260
  print_fake.directories.insert({at_limit, at_limit + "e"});
  print_fake.environment["TMP"] = at_limit + "e";
  EXPECT_EQ(request(), "");
  EXPECT_EQ(fake.publications, 0);
  EXPECT_EQ(spool_counter, 1u);
  EXPECT_EQ(spool_prefix_length, 0u);
  print_fake.environment["TMP"] = at_limit;
  EXPECT_EQ(request(), at_limit + "\\orv2");
}

TEST_F(spool, longer_prefix_counts_its_attempts_from_1) {
  char out[spool_name_capacity];
  print_fake.directories.insert("c:\\tmp");
  spool_counter = 40000;
  spool_prefix_length = 3;
  ASSERT_TRUE(make_spool_name("c:\\tmp", "orv", out));  // same length: from the last number
  EXPECT_STREQ(out, "c:\\tmp\\orv40001");
  EXPECT_FALSE(make_spool_name("c:\\tmp", "orvx", out));  // longer: 40002 - 1 is past the limit
  EXPECT_EQ(spool_prefix_length, 4u);
  ASSERT_TRUE(make_spool_name("c:\\tmp", "or", out));  // shorter: from the last number again
  EXPECT_STREQ(out, "c:\\tmp\\or40003");
}

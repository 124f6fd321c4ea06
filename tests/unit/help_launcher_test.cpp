#include "agent/services/help_launcher.h"

#include <gtest/gtest.h>

#include "agent/channel/exchange_block.h"
#include "fake_desktop.h"
#include "fake_os.h"

namespace {

TEST(HelpPath, ReplacesTheProgramNameAfterTheLastColonOrBackslash) {
  struct row {
    const char* program;
    const char* help;
  } rows[] = {
      {"C:\\Program Files\\Orvik\\OrvAgent.exe", "C:\\Program Files\\Orvik\\quorvane.hlp"},
      {"OrvAgent.exe", "quorvane.hlp"},
      {"C:OrvAgent.exe", "C:quorvane.hlp"},
      {"C:\\OrvAgent.exe", "C:\\quorvane.hlp"},
      {"", "quorvane.hlp"},
  };
  for (const row& r : rows) {
    EXPECT_TRUE(build_help_path(r.program)) << r.program;
    EXPECT_STREQ(current_help_path(), r.help);
  }
}

TEST(HelpPath, MustFitMaxPath) {
  // Directory part of 247 characters: 247 + 12 = 259, the most that fits.
  std::string dir = "C:\\" + std::string(243, 'd') + "\\";
  ASSERT_EQ(dir.size(), 247u);
  EXPECT_TRUE(build_help_path((dir + "OrvAgent.exe").c_str()));
  EXPECT_EQ(std::string(current_help_path()), dir + "quorvane.hlp");
  EXPECT_FALSE(build_help_path((dir + "x\\OrvAgent.exe").c_str()));
  std::string one_more = "C:\\" + std::string(244, 'd') + "\\";  // 248 + 12 = 260
  EXPECT_FALSE(build_help_path((one_more + "OrvAgent.exe").c_str()));
  EXPECT_STREQ(current_help_path(), "");
}

class HelpRequest : public ::testing::Test {
 protected:
  void SetUp() override { fake_desktop_reset(); }
  void request() {
    std::vector<uint8_t> b(40, 0);
    handle_help_request(b.data(), uint32_t(b.size()));
  }
};

TEST_F(HelpRequest, RepliesFirstThenOpensTheHelpBesideTheProgram) {
  // The module path keeps its blanks, where argv[0] of an unquoted
  // command line would stop at "C:\Program".
  fake_desk.program_path = "C:\\Program Files\\Orvik\\OrvAgent.exe";
  request();
  std::vector<uint8_t> reply = fake_clipboard_bytes();
  ASSERT_EQ(reply.size(), 64u);
  EXPECT_EQ(get_u16(reply.data() + 12), reply_help);
  ASSERT_EQ(fake_desk.help_calls.size(), 1u);
  EXPECT_EQ(fake_desk.help_calls[0], "C:\\Program Files\\Orvik\\quorvane.hlp");
  EXPECT_EQ(fake_desk.clipboard_publications_at_help, 1);

  request();  // every request asks again
  EXPECT_EQ(fake_desk.help_calls.size(), 2u);
  EXPECT_EQ(fake.publications, 2);
}

TEST_F(HelpRequest, TooLongOrMissingProgramPathRepliesButOpensNothing) {
  fake_desk.program_path = "C:\\" + std::string(300, 'p') + "\\OrvAgent.exe";
  request();
  EXPECT_EQ(fake.publications, 1);
  EXPECT_TRUE(fake_desk.help_calls.empty());

  fake_desk.program_path = "C:\\" + std::string(250, 'p') + "\\OrvAgent.exe";  // fits 520, not MAX_PATH
  request();
  EXPECT_EQ(fake.publications, 2);
  EXPECT_TRUE(fake_desk.help_calls.empty());

  fake_desk.program_path_result = 0;
  fake_desk.program_path = "";
  request();
  EXPECT_EQ(fake.publications, 3);
  EXPECT_TRUE(fake_desk.help_calls.empty());
}

TEST_F(HelpRequest, HelpOpensEvenWithoutReplyMemory) {
  fake.fail_alloc_after = 0;
  request();
  EXPECT_EQ(fake.publications, 0);
  EXPECT_EQ(fake_desk.help_calls.size(), 1u);
}

}  // namespace

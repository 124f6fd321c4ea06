#include "agent/services/help_launcher.h"

#include <gtest/gtest.h>

#include "agent/channel/exchange_block.h"
#include "fake_desktop.h"
#include "fake_os.h"

namespace {

TEST(HelpPath, ReplacesTheProgramNameAfterTheLastColonOrBackslashWithinMaxPath) {
  std::string dir = "C:\\" + std::string(243, 'd') + "\\";  // 247 + 12 = 259, the most that fits
  const std::pair<std::string, std::string> rows[] = {  // an empty help path: refused
      {"C:\\Program Files\\Orvik\\OrvAgent.exe", "C:\\Program Files\\Orvik\\quorvane.hlp"},
      {"OrvAgent.exe", "quorvane.hlp"},
      {"C:OrvAgent.exe", "C:quorvane.hlp"},
      {"C:\\OrvAgent.exe", "C:\\quorvane.hlp"},
      {"", "quorvane.hlp"},
      {dir + "OrvAgent.exe", dir + "quorvane.hlp"},
      {dir + "x\\OrvAgent.exe", ""},
      {"C:\\" + std::string(244, 'd') + "\\OrvAgent.exe", ""},
  };
  for (const auto& [program, help] : rows) {
    build_help_path("C:\\before.exe");
    EXPECT_EQ(build_help_path(program.c_str()), !help.empty()) << program;
    EXPECT_EQ(current_help_path(), help) << program;
  }
}

// The reply goes out first and does not wait for the help, nor the help for it.
TEST(HelpRequest, RepliesThenOpensTheHelpBesideTheProgram) {
  const std::tuple<std::string, int, std::string> rows[] = {  // module path, allocations before one fails, help
      // The module path keeps its blanks, where argv[0] of an unquoted command line stops at "C:\Program".
      {"C:\\Program Files\\Orvik\\OrvAgent.exe", -1, "C:\\Program Files\\Orvik\\quorvane.hlp"},
      {"C:\\OrvAgent.exe", 0, "C:\\quorvane.hlp"},                      // no reply memory
      {"C:\\" + std::string(600, 'p') + "\\OrvAgent.exe", -1, ""},  // cut by the module call
      {"C:\\" + std::string(300, 'p') + "\\OrvAgent.exe", -1, ""},
      {"C:\\" + std::string(250, 'p') + "\\OrvAgent.exe", -1, ""},  // fits 520, not MAX_PATH
      {"", -1, ""},
  };
  for (const auto& [program, fail_alloc_after, help] : rows) {
    fake_desktop_reset();
    fake_desk.program_path = program;
    fake.fail_alloc_after = fail_alloc_after;
    uint8_t block[40] = {};
    for (int i = 0; i < 2; i++) handle_help_request(block, sizeof block);  // every request asks again
    int replies = fail_alloc_after ? 1 : 0;
    EXPECT_EQ(fake.publications, 2 * replies) << program;
    EXPECT_EQ(fake_desk.help_calls, std::vector<std::string>(help.empty() ? 0 : 2, help)) << program;
    EXPECT_EQ(fake_desk.clipboard_publications_at_help, help.empty() ? -1 : replies) << program;
    if (!replies) continue;
    std::vector<uint8_t> reply = fake_clipboard_bytes();
    ASSERT_EQ(reply.size(), 64u);
    EXPECT_EQ(get_u16(reply.data() + 12), reply_help);
  }
}

}  // namespace

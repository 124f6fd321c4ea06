// The install dialog's decisions: start-up check, initial flags, governed check boxes.
#include <gtest/gtest.h>

#include <string>

#include "fake_install_actions.h"
#include "fake_install_settings.h"
#include "setup/install_dialog.h"

namespace {

std::string flags() {
  std::string text;
  for (int32_t flag : install_options) text += std::to_string(flag);
  return text;
}

// Boxes written "control=checked on|off" for each change the command asks for.
TEST(InstallDialog, StartThenEachCommandInTurn) {
  for (const char* windows : {"", "\\\\SERVER\\WINDOWS", "WINDOWS"}) {  // empty, no drive letter
    recording_actions actions;
    for (auto& flag : install_options) flag = 7;
    fake_settings = {windows, "", "C:\\WINDOWS\\COMMAND"};
    EXPECT_FALSE(install_dialog_start(actions)) << windows;
    EXPECT_EQ(actions.log, std::vector<std::string>{"error Can't retrieve Windows settings."});
    EXPECT_EQ(flags(), "777777") << "no flag is set";
  }
  recording_actions actions;
  fake_settings = {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", std::nullopt};
  ASSERT_TRUE(install_dialog_start(actions));
  EXPECT_TRUE(actions.log.empty());
  EXPECT_EQ(flags(), "101111");  // all five boxes checked, the light editor off

  const struct { int id, checked; dialog_outcome outcome; const char *flags, *boxes; } steps[] = {
      // The agent box governs start-up, which shows its remembered flag again.
      {1004, 0, dialog_stays, "101011", ""},
      {1004, 1, dialog_stays, "101111", ""},
      {1003, 0, dialog_stays, "100111", "1004=0 off "},
      {1003, 1, dialog_stays, "101111", "1004=1 on "},
      {1004, 0, dialog_stays, "101011", ""},
      {1003, 0, dialog_stays, "100011", "1004=0 off "},
      {1003, 1, dialog_stays, "101011", "1004=0 on "},
      // The editor box governs Send To and Edit and leaves the agent alone.
      {1006, 0, dialog_stays, "101010", ""},
      {1001, 0, dialog_stays, "001010", "1005=0 off 1006=0 off "},
      {1001, 1, dialog_stays, "101010", "1005=1 on 1006=0 on "},
      // Other boxes only record their state.
      {1002, 1, dialog_stays, "111010", ""},
      {1005, 0, dialog_stays, "111000", ""},
      {1002, 0, dialog_stays, "101000", ""},
      {1005, 1, dialog_stays, "101010", ""},
      // OK installs, Cancel ends, anything else stays.
      {1, 0, dialog_installs_then_ends, "101010", ""},
      {2, 0, dialog_ends, "101010", ""},
      {0, 1, dialog_stays, "101010", ""},
      {3, 1, dialog_stays, "101010", ""},
      {1000, 1, dialog_stays, "101010", ""},
      {1007, 1, dialog_stays, "101010", ""},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(testing::Message() << s.id << "," << s.checked);
    auto r = install_dialog_command(s.id, s.checked);
    EXPECT_EQ(r.outcome, s.outcome);
    EXPECT_EQ(flags(), s.flags);
    std::string boxes;
    for (int i = 0; i < r.change_count; ++i)
      boxes += std::to_string(r.changes[i].control) + "=" + std::to_string(r.changes[i].checked) +
               (r.changes[i].enabled ? " on " : " off ");
    EXPECT_EQ(boxes, s.boxes);
  }
}

}  // namespace

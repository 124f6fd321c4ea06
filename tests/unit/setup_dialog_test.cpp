// The install dialog's decisions: the start-up check, initial flags, and
// the governed check boxes that remember their state.
#include <gtest/gtest.h>

#include "fake_install_actions.h"
#include "fake_install_settings.h"
#include "setup/install_dialog.h"

namespace {

const char settings_error[] = "error Can't retrieve Windows settings.";

TEST(DialogStart, MissingWindowsSettingsEndTheDialogWithAMessage) {
  for (const char* windows : {"", "\\\\SERVER\\WINDOWS", "WINDOWS"}) {
    recording_actions actions;
    for (auto& flag : install_options) flag = 7;
    fake_settings_set(windows, "", "C:\\WINDOWS\\COMMAND");
    EXPECT_FALSE(install_dialog_start(actions)) << windows;
    EXPECT_EQ(actions.log, std::vector<std::string>{settings_error}) << windows;
    EXPECT_EQ(install_options[opt_editor], 7) << "no flag is set";
  }
}

TEST(DialogStart, AllFiveBoxesStartCheckedAndTheLightEditorOff) {
  recording_actions actions;
  fake_settings_set("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM");
  ASSERT_TRUE(install_dialog_start(actions));
  EXPECT_TRUE(actions.log.empty());
  const option_flags expected{1, 0, 1, 1, 1, 1};
  for (int i = 0; i < install_option_count; ++i) EXPECT_EQ(install_options[i], expected[i]) << i;
}

class DialogCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    recording_actions actions;
    fake_settings_set("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM");
    ASSERT_TRUE(install_dialog_start(actions));
  }
  static void expect_box(const dialog_command_result& r, int i, int control, int checked, bool enabled) {
    ASSERT_LT(i, r.change_count);
    EXPECT_EQ(r.changes[i].control, control);
    EXPECT_EQ(r.changes[i].checked, checked);
    EXPECT_EQ(r.changes[i].enabled, enabled);
  }
};

TEST_F(DialogCommand, AgentBoxGovernsStartupAndRestoresItsLastState) {
  auto r = install_dialog_command(1004, 0);  // user clears start-up
  EXPECT_EQ(r.outcome, dialog_stays);
  EXPECT_EQ(r.change_count, 0);
  EXPECT_EQ(install_options[opt_agent_startup], 0);

  install_dialog_command(1004, 1);
  r = install_dialog_command(1003, 0);
  EXPECT_EQ(install_options[opt_agent], 0);
  ASSERT_EQ(r.change_count, 1);
  expect_box(r, 0, 1004, 0, false);
  EXPECT_EQ(install_options[opt_agent_startup], 1) << "the flag keeps the user's choice";

  r = install_dialog_command(1003, 1);
  expect_box(r, 0, 1004, 1, true);

  install_dialog_command(1004, 0);
  install_dialog_command(1003, 0);
  r = install_dialog_command(1003, 1);
  expect_box(r, 0, 1004, 0, true);
}

TEST_F(DialogCommand, EditorBoxGovernsSendToAndEdit) {
  install_dialog_command(1006, 0);
  auto r = install_dialog_command(1001, 0);
  EXPECT_EQ(install_options[opt_editor], 0);
  ASSERT_EQ(r.change_count, 2);
  expect_box(r, 0, 1005, 0, false);
  expect_box(r, 1, 1006, 0, false);

  r = install_dialog_command(1001, 1);
  expect_box(r, 0, 1005, 1, true);
  expect_box(r, 1, 1006, 0, true);
  EXPECT_EQ(install_options[opt_agent], 1) << "the editor box leaves the agent's flags alone";
}

TEST_F(DialogCommand, OtherBoxesOnlyRecordTheirState) {
  for (int control : {1002, 1004, 1005, 1006}) {
    auto r = install_dialog_command(control, 1);
    EXPECT_EQ(install_options[control - 1001], 1);
    EXPECT_EQ(r.change_count, 0);
    install_dialog_command(control, 0);
    EXPECT_EQ(install_options[control - 1001], 0);
  }
}

TEST_F(DialogCommand, OkInstallsCancelEndsOthersStay) {
  EXPECT_EQ(install_dialog_command(1, 0).outcome, dialog_installs_then_ends);
  EXPECT_EQ(install_dialog_command(2, 0).outcome, dialog_ends);
  for (int control : {0, 3, 1000, 1007, 0xFFFF}) {
    auto r = install_dialog_command(control, 1);
    EXPECT_EQ(r.outcome, dialog_stays);
    EXPECT_EQ(r.change_count, 0);
  }
  const option_flags expected{1, 0, 1, 1, 1, 1};
  for (int i = 0; i < install_option_count; ++i) EXPECT_EQ(install_options[i], expected[i]) << i;
}

}  // namespace

// run_install against recorded actions: the order of the steps, the
// messages, and which steps a failure or an option skips.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_install_actions.h"
#include "fake_install_settings.h"
#include "setup/install_dirs.h"
#include "setup/run_install.h"

namespace {

using lines = std::vector<std::string>;

const std::string agent_exe = "C:\\Program Files\\Orvik\\OrvAgent.exe";
const std::string editor_exe = "C:\\WINDOWS\\COMMAND\\Orvik.exe";

const lines agent_side = {
    "mkdir C:\\Program Files\\Orvik",
    "copy ORVIK.DOC -> C:\\Program Files\\Orvik\\Orvik.doc",
    "stop Orvik Print Agent",
    "stop Orvik Windows Agent",
    "stop Quorvane Windows Agent",
    "copy ORVAGENT.EXE -> " + agent_exe,
    "start \"" + agent_exe + "\"",
    "shortcut C:\\WINDOWS\\Start Menu\\Programs\\StartUp\\OrvWinAgent.lnk -> " + agent_exe +
        " \"WinAgent\" icon none",
};
const std::string editor_copy = "copy ORVIK.EXE -> " + editor_exe;
const std::string send_to_with_icon = "shortcut C:\\WINDOWS\\SendTo\\Orvik.lnk -> " + editor_exe +
                                      " \"Orvik\" icon " + agent_exe + ",1";
const std::string send_to_without_icon =
    "shortcut C:\\WINDOWS\\SendTo\\Orvik.lnk -> " + editor_exe + " \"Orvik\" icon none";
const std::string edit_command = "edit \"" + editor_exe + "\" \"%1\"";
const std::string agent_error =
    "error Can't copy ORVAGENT.EXE. Make sure it isn't installed in the tray.";

lines operator+(lines a, const lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class RunInstall : public ::testing::Test {
 protected:
  option_flags options{1, 0, 1, 1, 1, 1};
  recording_actions actions;

  void SetUp() override {
    fake_settings_set("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS;C:\\WINDOWS\\COMMAND;C:\\DOS");
    find_editor_dir();  // as the dialog's start does
  }
  lines run() {
    actions.log.clear();
    run_install(options, actions);
    return actions.log;
  }
};

TEST_F(RunInstall, EverythingOn) {
  EXPECT_EQ(run(), (agent_side + lines{editor_copy, send_to_with_icon, edit_command}));
  EXPECT_EQ(std::string(agent_path), agent_exe);
}

TEST_F(RunInstall, EditorWithoutAgentGetsTheManualAndAnIconlessShortcut) {
  options[opt_agent] = 0;  // opt_agent_startup stays on but is not read
  EXPECT_EQ(run(), (lines{"copy ORVIK.DOC -> C:\\WINDOWS\\COMMAND\\Orvik.doc", editor_copy,
                          send_to_without_icon, edit_command}));
}

TEST_F(RunInstall, AgentWithoutEditorIgnoresTheEditorsOptions) {
  options[opt_editor] = 0;
  EXPECT_EQ(run(), agent_side);
}

TEST_F(RunInstall, GovernedOptionsEachSkipTheirOwnStep) {
  options[opt_agent_startup] = 0;
  lines without_startup(agent_side.begin(), agent_side.end() - 1);
  EXPECT_EQ(run(), (without_startup + lines{editor_copy, send_to_with_icon, edit_command}));
  options[opt_agent_startup] = 1;
  options[opt_send_to] = 0;
  EXPECT_EQ(run(), (agent_side + lines{editor_copy, edit_command}));
  options[opt_send_to] = 1;
  options[opt_htm_edit] = 0;
  EXPECT_EQ(run(), (agent_side + lines{editor_copy, send_to_with_icon}));
}

TEST_F(RunInstall, NothingChosenDoesNothing) {
  for (auto& flag : options) flag = 0;
  EXPECT_TRUE(run().empty());
  options[opt_editor_light] = 1;
  options[opt_agent_startup] = options[opt_send_to] = options[opt_htm_edit] = 1;
  EXPECT_TRUE(run().empty());
}

TEST_F(RunInstall, FailedAgentCopyIsReportedAndTheEditorSideGoesOn) {
  actions.failing_sources = {"ORVAGENT.EXE"};
  lines expected(agent_side.begin(), agent_side.begin() + 5);
  expected.push_back("copy failed ORVAGENT.EXE -> " + agent_exe);
  expected.push_back(agent_error);
  EXPECT_EQ(run(), (expected + lines{editor_copy, send_to_without_icon, edit_command}));
  EXPECT_STREQ(agent_path, "");
}

TEST_F(RunInstall, AgentPathIsForgottenBetweenRuns) {
  run();
  actions.failing_sources = {"ORVAGENT.EXE"};
  lines log = run();
  EXPECT_EQ(log.at(log.size() - 2), send_to_without_icon);
}

TEST_F(RunInstall, FailedManualCopyIsReportedAndTheRunGoesOn) {
  actions.failing_sources = {"ORVIK.DOC"};
  lines expected = agent_side;
  expected[1] = "copy failed ORVIK.DOC -> C:\\Program Files\\Orvik\\Orvik.doc";
  expected.insert(expected.begin() + 2, "error Can't copy ORVIK.DOC");
  EXPECT_EQ(run(), (expected + lines{editor_copy, send_to_with_icon, edit_command}));

  options[opt_agent] = 0;
  EXPECT_EQ(run(), (lines{"copy failed ORVIK.DOC -> C:\\WINDOWS\\COMMAND\\Orvik.doc",
                          "error Can't copy ORVIK.DOC", editor_copy, send_to_without_icon,
                          edit_command}));
}

TEST_F(RunInstall, MissingEditorEndsTheRunWithoutAMessage) {
  actions.failing_sources = {"ORVIK.EXE"};
  EXPECT_EQ(run(), (agent_side + lines{"copy failed ORVIK.EXE -> " + editor_exe}));
  options[opt_agent] = 0;
  EXPECT_EQ(run(), (lines{"copy ORVIK.DOC -> C:\\WINDOWS\\COMMAND\\Orvik.doc",
                          "copy failed ORVIK.EXE -> " + editor_exe}));
}

TEST_F(RunInstall, EverySourceMissing) {
  actions.failing_sources = {"ORVIK.DOC", "ORVAGENT.EXE", "ORVIK.EXE"};
  lines log = run();
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.rfind("error", 0) == 0; }), 2);
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.rfind("start", 0) == 0 || l.rfind("shortcut", 0) == 0 || l.rfind("edit", 0) == 0; }), 0);
}

TEST_F(RunInstall, LinksAndCommandThatWouldNotFitAreSkippedNotCut) {
  // 240 characters: the editor (the Windows directory itself) still fits,
  // the StartUp and Send To links and the Edit command do not.
  std::string windows = "C:\\" + std::string(237, 'W');
  fake_settings_set(windows, windows + "\\SYSTEM");
  find_editor_dir();
  EXPECT_EQ(run(), (lines{agent_side.begin(), agent_side.end() - 1} +
                    lines{"copy ORVIK.EXE -> " + windows + "\\Orvik.exe"}));
}

TEST_F(RunInstall, DestinationsThatWouldNotFitAreFailedCopies) {
  std::string editor = "C:\\W\\" + std::string(246, 'E');  // 251 + "\Orvik.exe" > 255
  fake_settings_set("C:\\W", "C:\\W\\SYSTEM", editor);
  find_editor_dir();
  options[opt_agent] = 0;
  EXPECT_EQ(run(), lines{"error Can't copy ORVIK.DOC"});
}

}  // namespace

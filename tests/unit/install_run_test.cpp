// run_install against recorded actions: step order, messages, and what failures or options skip.
#include <gtest/gtest.h>

#include <map>
#include <set>
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
const std::string send_to =
    "shortcut C:\\WINDOWS\\SendTo\\Orvik.lnk -> " + editor_exe + " \"Orvik\" icon ";

// One letter per recorded step; lower case is the same copy failed.
const std::map<char, lines> steps = {
    {'M', {"mkdir C:\\Program Files\\Orvik"}},
    {'D', {"copy ORVIK.DOC -> C:\\Program Files\\Orvik\\Orvik.doc"}},
    {'d', {"copy failed ORVIK.DOC -> C:\\Program Files\\Orvik\\Orvik.doc"}},
    {'!', {"error Can't copy ORVIK.DOC"}},
    {'S', {"stop Orvik Print Agent", "stop Orvik Windows Agent", "stop Quorvane Windows Agent"}},
    {'A', {"copy ORVAGENT.EXE -> " + agent_exe}},
    {'a', {"copy failed ORVAGENT.EXE -> " + agent_exe}},
    {'?', {"error Can't copy ORVAGENT.EXE. Make sure it isn't installed in the tray."}},
    {'R', {"start \"" + agent_exe + "\""}},
    {'L', {"shortcut C:\\WINDOWS\\Start Menu\\Programs\\StartUp\\OrvWinAgent.lnk -> " + agent_exe +
           " \"WinAgent\" icon none"}},
    {'E', {"copy ORVIK.DOC -> C:\\WINDOWS\\COMMAND\\Orvik.doc"}},
    {'e', {"copy failed ORVIK.DOC -> C:\\WINDOWS\\COMMAND\\Orvik.doc"}},
    {'X', {"copy ORVIK.EXE -> " + editor_exe}},
    {'x', {"copy failed ORVIK.EXE -> " + editor_exe}},
    {'I', {send_to + agent_exe + ",1"}},
    {'N', {send_to + "none"}},
    {'H', {"edit \"" + editor_exe + "\" \"%1\""}},
};

lines expand(const std::string& letters) {
  lines out;
  for (char c : letters) out.insert(out.end(), steps.at(c).begin(), steps.at(c).end());
  return out;
}

lines run(const option_flags& options, const std::set<std::string>& failing = {}) {
  recording_actions actions;
  actions.failing_sources = failing;
  run_install(options, actions);
  return actions.log;
}

TEST(RunInstall, StepsFollowTheOptionsAndFailures) {
  fake_settings = {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM",
                   "C:\\WINDOWS;C:\\WINDOWS\\COMMAND;C:\\DOS"};
  find_editor_dir();  // as the dialog's start does
  // Rows run in order: the agent path of one run must not reach the next.
  // Options: editor, light editor, agent, its startup, Send To, .htm Edit.
  const struct { option_flags options; std::set<std::string> fail; const char* steps; } cases[] = {
      {{1, 0, 1, 1, 1, 1}, {}, "MDSARLXIH"},
      {{1, 0, 0, 1, 1, 1}, {}, "EXNH"},
      {{0, 0, 1, 1, 1, 1}, {}, "MDSARL"},
      {{1, 0, 1, 0, 1, 1}, {}, "MDSARXIH"},
      {{1, 0, 1, 1, 0, 1}, {}, "MDSARLXH"},
      {{1, 0, 1, 1, 1, 0}, {}, "MDSARLXI"},
      {{0, 0, 0, 0, 0, 0}, {}, ""},
      {{0, 1, 0, 1, 1, 1}, {}, ""},
      {{1, 0, 1, 1, 1, 1}, {"ORVAGENT.EXE"}, "MDSa?XNH"},
      {{1, 0, 1, 1, 1, 1}, {"ORVIK.DOC"}, "Md!SARLXIH"},
      {{1, 0, 0, 1, 1, 1}, {"ORVIK.DOC"}, "e!XNH"},
      {{1, 0, 1, 1, 1, 1}, {"ORVIK.EXE"}, "MDSARLx"},
      {{1, 0, 0, 1, 1, 1}, {"ORVIK.EXE"}, "Ex"},
      {{1, 0, 1, 1, 1, 1}, {"ORVIK.DOC", "ORVAGENT.EXE", "ORVIK.EXE"}, "Md!Sa?x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.steps);
    EXPECT_EQ(run(c.options, c.fail), expand(c.steps));
    EXPECT_EQ(agent_path, std::string(c.steps).find('R') != std::string::npos ? agent_exe : "");
  }
}

TEST(RunInstall, PathsThatWouldNotFitAreSkippedNotCut) {
  // 240 characters: the editor still fits; the StartUp and Send To links
  // and the Edit command do not.
  std::string windows = "C:\\" + std::string(237, 'W');
  fake_settings = {windows, windows + "\\SYSTEM", std::nullopt};
  find_editor_dir();
  lines expected = expand("MDSAR");
  expected.push_back("copy ORVIK.EXE -> " + windows + "\\Orvik.exe");
  EXPECT_EQ(run({1, 0, 1, 1, 1, 1}), expected);
  // A destination that would not fit is a failed copy.
  fake_settings = {"C:\\W", "C:\\W\\SYSTEM", "C:\\W\\" + std::string(246, 'E')};
  find_editor_dir();
  EXPECT_EQ(run({1, 0, 0, 1, 1, 1}), expand("!"));
}

}  // namespace

// The installer: file copy, directory discovery, the dialog's decisions, the install run and its
// bounded paths.
#include <gtest/gtest.h>

#include "fake_install.h"
#include "setup/install/copy_file.h"
#include "setup/htm_edit_key.h"
#include "setup/install/install_dialog.h"
#include "setup/install_dirs.h"
#include "setup/path_text.h"
#include "setup/install/run_install.h"

using strings = std::vector<std::string>;
// Whole copies in 16 KiB chunks over the old destination; any fault removes the partial
// destination.
TEST(CopyFile, WholeOrNothing) {
  const struct { const char* what; void (*set)(); int reads, writes; bool copied, gone; } rows[] = {
      {"whole", [] {}, 3, 3, true, false},
      {"empty", [] { fake_files.files["S"].clear(); }, 0, 0, true, false},
      {"missing source", [] { fake_files.files.erase("S"); }, 0, 0, false, false},
      {"destination in use", [] { fake_files.locked.insert("D"); }, 0, 0, false, false},
      {"unknown length", [] { fake_files.fail_length = true; }, 0, 0, false, true},
      {"failed read", [] { fake_files.fail_read_at = 2; }, 3, 2, false, true},  // then nothing
      {"short read", [] { fake_files.short_read_at = 1; }, 2, 1, false, true},
      {"short write", [] { fake_files.short_write_at = 0; }, 1, 1, false, true}};
  const std::vector<uint8_t> source(2 * copy_chunk_size + 7232, 's'), old(90000, 'o'), none;
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    fake_files = {{{"S", source}, {"D", old}}, {}};
    r.set();
    EXPECT_EQ(copy_file("S", "D"), int(r.copied));
    const auto& copied = fake_files.files.count("D") ? fake_files.files["D"] : none;
    EXPECT_EQ(copied, r.copied ? fake_files.files["S"] : r.gone ? none : old);
    EXPECT_EQ(fake_files.reads * 10 + fake_files.writes, r.reads * 10 + r.writes);
    EXPECT_EQ(fake_files.open_handles, 0);
  }
}

TEST(InstallDirs, EditorFromPathReadAfreshAgentOnTheWindowsDrive) {
  const std::string longest = "C:\\WIN95\\" + std::string(255 - 9, 'L');  // fits, terminated
  const std::string util = ";C:\\WIN95\\UTIL", far(32767 - 14, 'D');
  // In order: each forgets the last. The command directory wins wherever it stands, else the
  // first below the Windows directory, never one under the system directory.
  const struct { std::optional<std::string> path; std::string editor; int reads = 1; } rows[] = {
      {"C:\\WIN95;C:\\WIN95\\COMMAND;C:\\DOS", "C:\\WIN95\\COMMAND"},
      {"C:\\WIN95\\UTIL;c:\\win95\\command", "c:\\win95\\command"},
      {"C:\\WIN95\\COMMAND;C:\\WIN95\\UTIL", "C:\\WIN95\\COMMAND"},
      {"C:\\WIN95;C:\\WIN95\\UTIL;C:\\WIN95\\TOOLS", "C:\\WIN95\\UTIL"},
      {"C:\\DOS;C:\\WIN95X\\BIN;C:\\WIN95\\UTIL", "C:\\WIN95X\\BIN"},  // a plain prefix
      {"   C:\\WIN95\\UTIL\\  ", "C:\\WIN95\\UTIL"},  // blanks and one final backslash trimmed
      {"C:\\WIN95\\UTIL;C:\\WIN95\\COMMAND\\\\", "C:\\WIN95\\UTIL"},
      {"\tC:\\WIN95\\UTIL", "C:\\WIN95"},  // tabs are not blanks
      {"C:\\WIN95\\SYSTEM;C:\\WIN95\\SYSTEM\\X", "C:\\WIN95"},
      {"c:\\win95\\system\\x;C:\\WIN95\\UTIL", "C:\\WIN95\\UTIL"},
      {"C:\\WIN95\\SYS", "C:\\WIN95\\SYS"}, {";;  ;", "C:\\WIN95"}, {std::nullopt, "C:\\WIN95", 0},
      {longest + "M" + util, "C:\\WIN95\\UTIL"},  // too long after trimming: passed over
      {longest + util, longest}, {"  " + longest + "\\  ", longest},
      {far + util, "C:\\WIN95\\UTIL"},  // the longest a value can be
      {far + "D" + util, "C:\\WIN95"}};  // longer: no PATH
  for (const auto& r : rows) {
    fake_settings = {"C:\\WIN95", "C:\\WIN95\\SYSTEM", r.path};
    EXPECT_EQ(find_editor_dir(), r.editor) << r.path.value_or("no PATH").substr(0, 80);
    EXPECT_EQ(fake_settings.path_reads, r.reads);
  }
  const struct { std::string windows, editor, agent; } windows[] = {
      {"D:\\WINDOWS", "D:\\WINDOWS", "D:\\Program Files\\Orvik"},
      {"\\\\SERVER\\WINDOWS", "\\\\SERVER\\WINDOWS", ""},
      {"", "", ""}, {std::string(256, 'W'), "", ""}};  // one that does not fit is not read
  for (const auto& w : windows) {
    fake_settings = {w.windows, w.windows + "\\SYSTEM", std::nullopt};
    EXPECT_EQ(find_editor_dir(), w.editor);
    agent_dir[0] = 'X';  // rebuilt from scratch even after a caller wrote to it
    EXPECT_EQ(find_agent_dir(), w.agent);
  }
}

// Where Windows keeps programs when ProgramFilesDir names an existing folder on a drive soundly,
// else the fixed folder. The value names a folder that exists unless the row gives another.
TEST(InstallDirs, AgentWhereWindowsKeepsProgramsWhenTheRegistryCanBeTrusted) {
  const std::string fixed = "C:\\Program Files\\Orvik", longest = "C:\\" + std::string(233, 'P');
  const struct { std::string value, agent; std::string existing = ""; } rows[] = {
      {"C:\\Programme", "C:\\Programme\\Orvik"},
      {"c:\\programme\\", "c:\\programme\\Orvik", "C:\\PROGRAMME"},  // one final backslash
      {"D:\\Archivos de programa", "D:\\Archivos de programa\\Orvik"},
      {"", fixed}, {"C:\\Programme", fixed, "C:\\Program"},  // none; a missing folder
      {"\\\\SERVER\\Programme", fixed}, {"C:Programme", fixed}, {"C:\\", fixed},
      {"C:\\Programme\\\\", fixed, "C:\\Programme\\"}, {"C:\\A\\\\B", fixed},
      {"C:\\WINDOWS\\..\\Programme", fixed}, {"C:\\.\\Programme", fixed},
      {longest, longest + "\\Orvik"},  // "\\OrvSetup.exe" still fits after it
      {longest + "P", fixed}, {"C:\\" + std::string(300, 'P'), fixed}};
  for (const auto& r : rows) {
    fake_settings = {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", std::nullopt};
    fake_settings.program_files = r.value;
    fake_settings.folders = {r.existing.empty() ? r.value : r.existing};
    find_editor_dir();
    EXPECT_EQ(find_agent_dir(), r.agent) << r.value.substr(0, 40);
  }
  fake_settings.windows_directory = "\\\\SERVER\\WINDOWS", fake_settings.program_files = "C:\\A";
  fake_settings.folders = {"C:\\A"};
  find_editor_dir();
  EXPECT_EQ(find_agent_dir(), std::string()) << "Windows settings that can't be retrieved";
}

static std::string flags() {
  std::string text;
  for (int32_t flag : install_options) text += std::to_string(flag);
  return text;
}

// Boxes written "control=checked on|off" for each change the command asks for.
TEST(InstallDialog, StartThenEachCommandInTurn) {
  for (const char* windows : {"", "\\\\SERVER\\WINDOWS"}) {  // empty, no drive letter
    recording_actions actions;
    for (auto& flag : install_options) flag = 7;
    fake_settings = {windows, "", "C:\\WINDOWS\\COMMAND"};
    EXPECT_FALSE(install_dialog_start(actions)) << windows;
    EXPECT_EQ(actions.log, strings{"error Can't retrieve Windows settings."});
    EXPECT_EQ(flags(), "777777") << "no flag is set";
  }
  recording_actions actions;
  fake_settings = {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", std::nullopt};
  ASSERT_TRUE(install_dialog_start(actions));
  // All five boxes checked, the light editor off.
  EXPECT_EQ(flags() + std::to_string(actions.log.size()), "1011110");
  // The agent box governs start-up, which shows its remembered flag again; the editor box
  // governs Send To and Edit. OK installs, Cancel ends.
  const struct { int id, checked; dialog_outcome outcome; std::string flags_boxes; } steps[] = {
      {1004, 0, dialog_stays, "101011"}, {1003, 0, dialog_stays, "100011 1004=0 off"},
      {1003, 1, dialog_stays, "101011 1004=0 on"}, {1004, 1, dialog_stays, "101111"},
      {1006, 0, dialog_stays, "101110"}, {1001, 0, dialog_stays, "001110 1005=0 off 1006=0 off"},
      {1001, 1, dialog_stays, "101110 1005=1 on 1006=0 on"}, {1002, 1, dialog_stays, "111110"},
      {1, 0, dialog_installs_then_ends, "111110"}, {2, 0, dialog_ends, "111110"},
      {1000, 1, dialog_stays, "111110"}, {1007, 1, dialog_stays, "111110"}};
  for (const auto& s : steps) {
    auto r = install_dialog_command(s.id, s.checked);
    std::string boxes = flags();
    for (int i = 0; i < r.change_count; ++i)
      boxes += " " + std::to_string(r.changes[i].control) + "=" +
               std::to_string(r.changes[i].checked) + (r.changes[i].enabled ? " on" : " off");
    EXPECT_EQ(r.outcome, s.outcome) << s.id;
    EXPECT_EQ(boxes, s.flags_boxes) << s.id << "," << s.checked;
  }
}

const std::string agent_exe = "C:\\Program Files\\Orvik\\OrvAgent.exe";
const std::string editor_exe = "C:\\WINDOWS\\COMMAND\\Orvik.exe";
const std::string send_to = "shortcut C:\\WINDOWS\\SendTo\\Orvik.lnk -> " + editor_exe +
                            " \"Orvik\" icon ";
const std::string doc = "ORVIK.DOC -> C:\\Program Files\\Orvik\\Orvik.doc";
const std::string command_doc = "ORVIK.DOC -> C:\\WINDOWS\\COMMAND\\Orvik.doc";
// One letter per recorded step; lower case is the same copy failed.
const std::map<char, strings> steps = {
    {'M', {"mkdir C:\\Program Files\\Orvik"}},
    {'D', {"copy " + doc}}, {'d', {"copy failed " + doc}}, {'!', {"error Can't copy ORVIK.DOC"}},
    {'S', {"stop Orvik Print Agent", "stop Orvik Windows Agent", "stop Quorvane Windows Agent"}},
    {'A', {"copy ORVAGENT.EXE -> " + agent_exe}},
    {'a', {"copy failed ORVAGENT.EXE -> " + agent_exe}},
    {'?', {"error Can't copy ORVAGENT.EXE. Make sure it isn't installed in the tray."}},
    {'R', {"start \"" + agent_exe + "\""}},
    {'L', {"shortcut C:\\WINDOWS\\Start Menu\\Programs\\StartUp\\OrvWinAgent.lnk -> " +
           agent_exe + " \"WinAgent\" icon none"}},
    {'E', {"copy " + command_doc}}, {'e', {"copy failed " + command_doc}},
    {'X', {"copy ORVIK.EXE -> " + editor_exe}}, {'x', {"copy failed ORVIK.EXE -> " + editor_exe}},
    {'I', {send_to + agent_exe + ",1"}}, {'N', {send_to + "none"}},
    {'H', {"edit \"" + editor_exe + "\" \"%1\""}}};
// The installer's own copy that ends a run is removal_test's; the Edit command ends the log.
static strings run(const option_flags& options, const std::set<std::string>& failing = {}) {
  recording_actions actions;
  actions.failing_sources = failing;
  run_install(options, actions, actions, actions);
  if (!actions.log.empty() && actions.log.back().rfind("copy A:", 0) == 0)
    actions.log.resize(actions.log.size() - 2);
  char edit[300];
  if (actions.read_value(classes_root, "htmlfile\\shell\\Edit\\Command", nullptr, edit, 300))
    actions.add("edit " + std::string(edit));
  return actions.log;
}
static strings expand(const std::string& letters) {
  strings out;
  for (char c : letters) out.insert(out.end(), steps.at(c).begin(), steps.at(c).end());
  return out;
}

TEST(RunInstall, StepsFollowTheOptionsAndFailures) {
  fake_settings = {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS;C:\\WINDOWS\\COMMAND"};
  find_editor_dir();  // as the dialog's start does
  // In order: the agent path of one run must not reach the next. Options: editor, light editor,
  // agent, its startup, Send To, .htm Edit.
  const struct { option_flags options; std::set<std::string> fail; const char* steps; } rows[] = {
      {{1, 0, 1, 1, 1, 1}, {}, "MDSARLXIH"}, {{1, 0, 0, 1, 1, 1}, {}, "EXNH"},
      {{0, 0, 1, 1, 1, 1}, {}, "MDSARL"}, {{1, 0, 1, 0, 1, 1}, {}, "MDSARXIH"},
      {{1, 0, 1, 1, 0, 1}, {}, "MDSARLXH"}, {{1, 0, 1, 1, 1, 0}, {}, "MDSARLXI"},
      {{0, 1, 0, 1, 1, 1}, {}, ""}, {{1, 0, 1, 1, 1, 1}, {"ORVAGENT.EXE"}, "MDSa?XNH"},
      {{1, 0, 1, 1, 1, 1}, {"ORVIK.DOC"}, "Md!SARLXIH"},
      {{1, 0, 0, 1, 1, 1}, {"ORVIK.DOC"}, "e!XNH"},
      {{1, 0, 1, 1, 1, 1}, {"ORVIK.EXE"}, "MDSARLx"}, {{1, 0, 0, 1, 1, 1}, {"ORVIK.EXE"}, "Ex"}};
  for (const auto& r : rows) {
    EXPECT_EQ(run(r.options, r.fail), expand(r.steps)) << r.steps;
    EXPECT_EQ(agent_path, std::string(r.steps).find('R') != std::string::npos ? agent_exe : "");
  }
  // The folders the shell names (here a German Windows's) take the shortcuts; one too long for
  // the link's name takes none.
  for (const std::string& start : {std::string("C:\\WINDOWS\\Startmen\xFC\\Programme\\Autostart"),
                                  "C:\\" + std::string(252, 'S')}) {
    fake_settings.shell_folders[0] = start, fake_settings.shell_folders[1] = "C:\\W\\Senden an";
    strings links;
    for (const auto& line : run({1, 0, 1, 1, 1, 1}))
      if (line.starts_with("shortcut ")) links.push_back(line.substr(9, line.find(" -> ") - 9));
    strings expected = {start + "\\OrvWinAgent.lnk", "C:\\W\\Senden an\\Orvik.lnk"};
    EXPECT_EQ(links, start.size() < 255 ? expected : strings{expected[1]});
  }
  // 240 characters: the editor still fits; the StartUp and Send To links and the Edit command
  // do not.
  std::string windows = "C:\\" + std::string(237, 'W');
  fake_settings = {windows, windows + "\\SYSTEM", std::nullopt};
  find_editor_dir();
  strings expected = expand("MDSAR");
  expected.push_back("copy ORVIK.EXE -> " + windows + "\\Orvik.exe");
  EXPECT_EQ(run({1, 0, 1, 1, 1, 1}), expected);
  fake_settings = {"C:\\W", "C:\\W\\SYSTEM", "C:\\W\\" + std::string(246, 'E')};
  find_editor_dir();
  EXPECT_EQ(run({1, 0, 0, 1, 1, 1}), expand("!")) << "a destination that would not fit fails";
}

TEST(PathText, JoinsFitWholeOrNotAtAll) {
  char out[8], text[6] = "ab", key[htm_edit_key_capacity] = "x";
  EXPECT_TRUE(directory_file(out, sizeof out, "C:\\A", "\\bc"));  // 7 and the terminator
  EXPECT_STREQ(out, "C:\\A\\bc");
  EXPECT_FALSE(directory_file(out, sizeof out, "C:\\A", "\\bcd") || out[0]);
  EXPECT_FALSE(directory_file(out, sizeof out, "", "\\b") || out[0]);
  EXPECT_FALSE(append_text(text, sizeof text, "cdef"));
  EXPECT_TRUE(append_text(text, sizeof text, "cde"));
  EXPECT_STREQ(text, "abcde");
  EXPECT_FALSE(htm_edit_key_path("", key) || key[0]) << "no key of no file class";
  EXPECT_TRUE(htm_edit_key_path(std::string(127, 'c').c_str(), key));  // the most 128 bytes hold
  EXPECT_EQ(std::string(key), std::string(127, 'c') + "\\shell\\Edit\\Command");
}

// The removal entry: the record installs write and join, and the removal's decisions and message.
#include <gtest/gtest.h>

#include "fake_install.h"
#include "setup/install_dirs.h"
#include "setup/remove/removal_record.h"
#include "setup/install/run_install.h"
#include "setup/remove/run_removal.h"

using strings = std::vector<std::string>;
using change = void (*)(recording_actions&);
const char* const edit = "htmlfile\\shell\\Edit\\Command";
const std::string folder = "C:\\Program Files\\Orvik", own = folder + "\\OrvSetup.exe",
                  notepad = "\"C:\\notepad.exe\" \"%1\"", win = "C:\\WINDOWS";
const option_flags everything = {1, 0, 1, 1, 1, 1}, editor = {1, 0, 0, 1, 1, 1};

// From A:\ under C:\WINDOWS: everything, or with a PATH the editor alone into its directory.
static void install(recording_actions& actions, const char* path, change set) {
  fake_settings = {win, win + "\\SYSTEM", path ? std::optional(path) : std::nullopt};
  set(actions);
  find_editor_dir();
  run_install(path ? editor : everything, actions, actions);
}
// A value of the entry, or of the Edit command's key; "(x)" marks an expandable one.
static std::string value(recording_actions& a, const char* name, const char* key = uninstall_key) {
  char text[1100];
  value_kind kind = a.read_value(key == edit ? classes_root : local_machine, key, name, text, 1100);
  if (kind == value_missing) return "none";
  return (kind == value_expandable_text ? "(x)" : "") + std::string(text);
}
static void set(recording_actions& a, const char* name, std::string text,
                const char* key = uninstall_key, value_kind kind = value_text) {
  a.write_value(key == edit ? classes_root : local_machine, key, name, text.c_str(), kind);
}
static strings files(recording_actions& a) {  // the File values in order
  strings paths;
  for (int i = 1; i <= 16; ++i)
    if (std::string path = value(a, ("File" + std::to_string(i)).c_str()); path != "none")
      paths.push_back(path);
  return paths;
}

// In order on one registry: each install joins the files it made to the record; the Edit
// command's value before stays the one from before the first install while each replaces the
// recorded command. The installer's copy or the entry failing, or a full record, is one message.
TEST(RemovalRecord, InstallsJoinWhatTheyMade) {
  const char* u = "C:\\WINDOWS\\UTIL";
  const std::string util = u + std::string("\\Orvik.");
  const struct { const char* path; change set; strings files; std::string before, message;
                 size_t count; } rows[] = {
      {nullptr, [](auto& a) { set(a, 0, notepad, edit); },
       {folder + "\\Orvik.doc", folder + "\\OrvAgent.exe",
        win + "\\Start Menu\\Programs\\StartUp\\OrvWinAgent.lnk", win + "\\Orvik.exe",
        win + "\\SendTo\\Orvik.lnk", own}, notepad, "", 6},
      {u, [](auto&) {}, {util + "doc", util + "exe"}, notepad, "", 8},
      {u, [](auto& a) { set(a, 0, "ed", edit); }, {}, "ed", "", 8},
      {u, [](auto& a) { a.failing_sources = {"A:\\OrvSetup.exe"}; }, {}, "ed",
       "Can't copy OrvSetup.exe into the agent folder.", 8},
      {"C:\\WINDOWS\\TOOLS", [](auto& a) {
         for (int i = 9; i <= 15; ++i)
           set(a, ("File" + std::to_string(i)).c_str(), "C:\\" + std::to_string(i) + "\\Orvik.doc");
       }, {win + "\\TOOLS\\Orvik.doc"}, "ed", "Not all that was installed could be recorded", 16},
      {u, [](auto& a) { a.refuse_machine = true; }, {}, "ed", "Can't record Orvik", 16}};
  recording_actions actions;
  for (const auto& r : rows) {
    actions.log.clear(), actions.failing_sources.clear();
    install(actions, r.path, r.set);
    strings recorded = files(actions);
    std::string last = actions.log.back();
    EXPECT_EQ(recorded.size(), r.count) << r.message;
    EXPECT_EQ(strings(recorded.end() - r.files.size(), recorded.end()), r.files);
    EXPECT_EQ(value(actions, "EditBefore"), r.before);
    EXPECT_EQ(last.substr(0, 6) == "error " ? last.substr(6, r.message.size()) : "", r.message);
  }
  EXPECT_EQ(value(actions, "UninstallString") + value(actions, "Publisher"),
            "\"" + own + "\" /uninstallOrvik Software");
}

// After an install of everything over the Edit command notepad, the removal runs from the
// installer's copy, unless a row changes that. Items of the record that are not provably the
// install's are named by their text or, without one, by their value's name.
TEST(RunRemoval, TakesAwayWhatIsProvablyTheInstalls) {
  const std::string exe = win + "\\Orvik.exe", doc = folder + "\\Orvik.doc",
      lnk = win + "\\SendTo\\Orvik.lnk", head = "tell Orvik was removed.\n",
      except = "warn Orvik was removed, except for:\n", later = "\n" + own + ": goes when Windows "
      "restarts", waits = later + ", and its folder with it if nothing else is in it",
      no = ": not recognised as Orvik's, left as it is\n", nt = head + waits,
      none = "tell Orvik is not installed: there is nothing to remove.";
  const struct { change set; std::string message; size_t left; std::string edit; } rows[] = {
      {[](auto& a) { a.keys.clear(); }, none, 6, "gone"},
      {[](auto& a) { a.yes = false; }, "ask", 6, "ours"},
      {[](auto&) {}, nt, 1, notepad},
      {[](auto& a) { a.files.erase(win + "\\Orvik.exe"); }, nt, 1, notepad},
      {[](auto& a) {
         a.errors = {{win + "\\Orvik.exe", 32}, {folder + "\\Orvik.doc", 5},
                     {win + "\\SendTo\\Orvik.lnk", 1234}};
       }, except + doc + ": access denied\n" + exe + ": in use\n" + lnk +
       ": not removed, error 1234\n" + waits, 4, notepad},
      {[](auto& a) {
         int i = 8;  // File9 on; the first is the install's
         for (auto path : {"c:\\x\\ORVIK.LNK", "C:\\note.exe", "\\\\s\\Orvik.doc"})
           set(a, ("File" + std::to_string(++i)).c_str(), path);
         a.files.insert("c:\\x\\ORVIK.LNK");
         set(a, "File12", "C:\\Orvik.exe", uninstall_key, value_expandable_text);
         set(a, "File13", "", uninstall_key, value_unusable);
         set(a, "EditKey", "htmlfile\\shell\\Open\\Command"), set(a, "AgentFolder", "C:\\Orvik");
       }, except + "C:\\note.exe" + no + "\\\\s\\Orvik.doc" + no + "C:\\Orvik.exe" + no + "File13" +
       no + "C:\\Orvik" + no + ".htm Edit command" + no + later, 1, "ours"},
      {[](auto& a) { set(a, 0, "ed", edit); },
       head + "\n.htm Edit command: left as it is, it was changed after the install" + waits, 1,
       "ed"},
      {[](auto& a) { a.delete_value(local_machine, uninstall_key, "EditBefore"); }, nt, 1, "gone"},
      {[](auto& a) { set(a, "EditBefore", "%ed%", uninstall_key, value_expandable_text); }, nt, 1,
       "(x)%ed%"}};
  for (const auto& r : rows) {
    recording_actions actions;
    install(actions, nullptr, [](auto& a) { set(a, 0, notepad, edit); });
    strings recorded = files(actions);
    std::string steps;
    actions.files.insert(recorded.begin(), recorded.end());
    actions.log.clear(), fake_settings.module_path = own;
    r.set(actions);
    run_removal(actions, actions);
    for (const auto& line : actions.log) steps += line.substr(0, line.find(' ')) + " ";
    bool edit_key = actions.key_state(classes_root, "htmlfile\\shell\\Edit");
    std::string now = edit_key ? value(actions, 0, edit) : "gone";
    EXPECT_EQ(actions.log.back(), r.message);
    EXPECT_EQ(actions.files.size(), r.left) << r.message;
    EXPECT_EQ(now.find("\\Orvik.exe") == std::string::npos ? now : "ours", r.edit) << r.message;
    EXPECT_TRUE(r.message != nt ||  // agents stopped, then files, folder, copy
                steps == "ask stop stop stop delete delete delete delete delete rmdir at at tell ");
  }
}

TEST(RunRemoval, OnlyUninstallOnTheCommandLineAsksForIt) {
  for (auto [line, asks] : {std::pair{" \t/UnInstall \t", true}, {"/uninstall", true}, {"", false},
                            {"/uninstal", false}, {"/uninstall x", false}, {"/uninstallx", false}})
    EXPECT_EQ(is_remove_command(line), asks) << line;
}

// The removal entry: the record installs write and join, the removal's decisions and message,
// and the deletions at restart that a removal asks for and a new install takes back.
#include <gtest/gtest.h>

#include "fake_install.h"
#include "setup/install/run_install.h"
#include "setup/install_dirs.h"
#include "setup/remove/removal_record.h"
#include "setup/remove/run_removal.h"

using strings = std::vector<std::string>;
using change = void (*)(recording_actions&);
const char* const edit = "htmlfile\\shell\\Edit\\Command";
const char* const other_edit = "other\\shell\\Edit\\Command";
const std::string folder = "C:\\Program Files\\Orvik", own = folder + "\\OrvSetup.exe",
                  notepad = "\"C:\\notepad.exe\" \"%1\"", win = "C:\\WINDOWS",
                  doc = folder + "\\Orvik.doc", lnk = win + "\\SendTo\\Orvik.lnk",
                  mine = "C:\\My Documents\\Orvik.doc", up = folder + "\\..\\..\\Data\\Orvik.exe";
const option_flags everything = {1, 0, 1, 1, 1, 1}, editor = {1, 0, 0, 1, 1, 1};

// From A:\ under C:\WINDOWS: everything, or with a PATH the editor alone into its directory.
static void install(recording_actions& actions, const char* path, change set) {
  fake_settings = {win, win + "\\SYSTEM", path ? std::optional(path) : std::nullopt};
  set(actions);
  find_editor_dir();
  run_install(path ? editor : everything, actions, actions, actions);
}
// A value of the entry, or of an Edit command's key; "(x)" marks an expandable one.
static std::string value(recording_actions& a, const char* name, const char* key = uninstall_key) {
  char text[1100];
  registry_root root = key == uninstall_key ? local_machine : classes_root;
  value_kind kind = a.read_value(root, key, name, text, 1100);
  if (kind == value_missing) return "none";
  return (kind == value_expandable_text ? "(x)" : "") + std::string(text);
}
static void set(recording_actions& a, const char* name, std::string text,
                const char* key = uninstall_key, value_kind kind = value_text) {
  a.write_value(key == uninstall_key ? local_machine : classes_root, key, name, text.c_str(), kind);
}
static strings files(recording_actions& a) {  // the File values in order
  strings paths;
  for (int i = 1; i <= 16; ++i)
    if (std::string path = value(a, ("File" + std::to_string(i)).c_str()); path != "none")
      paths.push_back(path);
  return paths;
}

// In order on one registry: each install joins the files and editor folders it made to the
// record; an Edit record per .htm class, whose value before stays the one from before the first
// install while each replaces the recorded command, or is marked lost when it can't be kept. The
// installer's copy or the entry failing, or a full record, is one message.
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
      {u, [](auto& a) { set(a, 0, std::string(1100, 'x'), edit); }, {}, "none lost", "", 8},
      {u, [](auto& a) { set(a, 0, "other", ".htm"), set(a, 0, "theirs", other_edit); }, {},
       "none lost", "", 8},
      {"C:\\WINDOWS\\TOOLS", [](auto& a) {
         set(a, "EditorFolder3", "C:\\WINDOWS\\A"), set(a, "EditorFolder4", "C:\\WINDOWS\\B");
       }, {win + "\\TOOLS\\Orvik.doc", win + "\\TOOLS\\Orvik.exe"}, "none lost",
       "Not all that was installed could be recorded", 10},
      {u, [](auto& a) { a.refuse_machine = true; }, {}, "none lost", "Can't record Orvik", 10}};
  recording_actions actions;
  for (const auto& r : rows) {
    actions.log.clear(), actions.failing_sources.clear();
    install(actions, r.path, r.set);
    strings recorded = files(actions);
    std::string last = actions.log.back();
    EXPECT_EQ(recorded.size(), r.count) << r.message;
    EXPECT_EQ(strings(recorded.end() - r.files.size(), recorded.end()), r.files);
    EXPECT_EQ(value(actions, "EditBefore1") + (value(actions, "EditBeforeLost1") == "1" ? " lost"
                                                                                        : ""),
              r.before);
    EXPECT_EQ(last.substr(0, 6) == "error " ? last.substr(6, r.message.size()) : "", r.message);
  }
  EXPECT_EQ(value(actions, "EditKey2") + " " + value(actions, "EditBefore2"),
            std::string(other_edit) + " theirs");
  EXPECT_EQ(value(actions, "UninstallString") + value(actions, "Publisher"),
            "\"" + own + "\" /uninstallOrvik Software");
}

// After an install of everything over the Edit command notepad, the removal runs from the
// installer's copy, unless a row changes that. Items of the record that are not provably the
// install's are named by their text or, without one, by their value's name; anything that stays
// keeps the entry (with only what is left) and the installer's copy.
TEST(RunRemoval, TakesAwayWhatIsProvablyTheInstalls) {
  const std::string exe = win + "\\Orvik.exe", head = "tell Orvik was removed.\n",
      except = "warn Orvik was removed, except for:\n", later = "\n" + own + ": goes when Windows "
      "restarts", waits = later + ", and its folder with it if nothing else is in it",
      no = ": not recognised as Orvik's, left as it is\n", nt = head + waits,
      listed = "\nOrvik stays in the list of programs with what is left, so that removing it "
      "again can finish the job.", gone = "tell Orvik is not installed: there is nothing to "
      "remove.";
  const struct { change set; std::string message; size_t left; std::string edit;
                 strings record; } rows[] = {
      {[](auto& a) { a.keys.clear(); }, gone, 6, "gone", {}},
      {[](auto& a) { a.yes = false; }, "ask", 6, "ours", {"6 files"}},
      {[](auto&) {}, nt, 1, notepad, {}},
      {[](auto& a) { a.files.erase(win + "\\Orvik.exe"); }, nt, 1, notepad, {}},
      {[](auto& a) {  // in use: goes at the restart; any other error stays
         a.errors = {{win + "\\Orvik.exe", 32}, {folder + "\\Orvik.doc", 5}, {lnk, 1234}};
       }, except + lnk + ": not removed, error 1234\n" + listed + "\n\n" + doc +
       ": in use, goes when Windows restarts\n" + exe + ": in use, goes when Windows restarts", 4,
       notepad, {lnk, own}},
      {[](auto& a) { a.errors = {{doc, 5}}, a.read_only = {doc}; },
       except + doc + ": access denied\n" + listed, 2, notepad, {doc, own}},
      {[](auto& a) {
         int i = 8;  // File9 on; the first is the install's
         for (auto path : {"c:\\x\\ORVIK.LNK", "C:\\note.exe", "\\\\s\\Orvik.doc", mine.c_str(),
                           up.c_str()})
           set(a, ("File" + std::to_string(++i)).c_str(), path);
         a.files.insert({"c:\\x\\ORVIK.LNK", mine, up});
         set(a, "File15", "C:\\Orvik.exe", uninstall_key, value_expandable_text);
         set(a, "File16", "", uninstall_key, value_unusable);
         set(a, "EditKey1", "htmlfile\\shell\\Open\\Command");
       }, except + "c:\\x\\ORVIK.LNK" + no + "C:\\note.exe" + no +
       "\\\\s\\Orvik.doc" + no + mine + no + up + no + "C:\\Orvik.exe" + no + "File16" + no +
       "EditKey1" + no + listed, 4, "ours", {"8 files"}},
      {[](auto& a) { set(a, 0, "ed", edit); },
       head + "\n.htm Edit command of htmlfile: left as it is, it was changed after the install" +
       waits, 1, "ed", {}},
      {[](auto& a) { a.delete_value(local_machine, uninstall_key, "EditBefore1"); }, nt, 1, "gone",
       {}},
      {[](auto& a) { set(a, "EditBefore1", "%ed%", uninstall_key, value_expandable_text); }, nt, 1,
       "(x)%ed%", {}},
      {[](auto& a) {
         a.delete_value(local_machine, uninstall_key, "EditBefore1"), set(a, "EditBeforeLost1", "1");
       }, head + "\n.htm Edit command of htmlfile: removed; the Edit command from before the "
       "install could not be restored" + waits, 1, "gone", {}}};
  for (const auto& r : rows) {
    recording_actions actions;
    install(actions, nullptr, [](auto& a) { set(a, 0, notepad, edit); });
    strings recorded = files(actions);
    std::string steps;
    actions.files.insert(recorded.begin(), recorded.end());
    actions.log.clear(), fake_settings.module_path = own;
    r.set(actions);
    run_removal(actions, actions, actions);
    for (const auto& line : actions.log) steps += line.substr(0, line.find(' ')) + " ";
    bool edit_key = actions.key_state(classes_root, "htmlfile\\shell\\Edit");
    std::string now = edit_key ? value(actions, 0, edit) : "gone";
    strings left = files(actions);
    if (left.size() > 5) left = {std::to_string(left.size()) + " files"};
    EXPECT_EQ(actions.log.back(), r.message);
    EXPECT_EQ(actions.files.size(), r.left) << r.message;
    EXPECT_EQ(now.find("\\Orvik.exe") == std::string::npos ? now : "ours", r.edit) << r.message;
    EXPECT_EQ(left, r.record) << r.message;
    EXPECT_TRUE(r.message != nt ||  // agents stopped, then files, folder, copy
                steps == "ask stop stop stop delete delete delete delete delete rmdir at at tell ");
    if (r.message.find("access denied") == std::string::npos) continue;
    actions.read_only.clear(), actions.errors.clear();  // the user lets it go: once more
    run_removal(actions, actions, actions);
    EXPECT_EQ(actions.log.back(), nt);
    EXPECT_EQ(actions.key_state(local_machine, uninstall_key), key_missing);
  }
}

// An install where Windows keeps programs ("C:\Programme" on a German Windows) is the removal's,
// also over an earlier one in the fixed folder, whose files go too, and whatever the spelling of
// the value at the removal; a folder the value no longer names is not, and stays listed.
TEST(RunRemoval, TheAgentFolderIsWhereWindowsKeepsPrograms) {
  const std::string german = "C:\\Programme\\Orvik", copy = german + "\\OrvSetup.exe";
  const struct { bool earlier; std::string now; size_t left; bool listed; } rows[] = {
      {false, "C:\\Programme", 1, false}, {false, "c:\\PROGRAMME\\", 1, false},
      {true, "C:\\Programme", 1, false}, {false, "", 3, true}};
  for (const auto& r : rows) {
    recording_actions actions;
    if (r.earlier) install(actions, nullptr, [](auto&) {});
    install(actions, nullptr, [](auto&) {
      fake_settings.program_files = "C:\\Programme", fake_settings.folders = {"C:\\Programme"};
    });
    EXPECT_EQ(value(actions, "UninstallString"), "\"" + copy + "\" /uninstall");
    strings recorded = files(actions);
    actions.files.insert(recorded.begin(), recorded.end());
    fake_settings.program_files = r.now, fake_settings.module_path = copy;
    run_removal(actions, actions, actions);
    EXPECT_EQ(actions.files.size(), r.left) << r.now << r.earlier;  // the running copy: at boot
    EXPECT_EQ(actions.key_state(local_machine, uninstall_key) != key_missing, r.listed) << r.now;
  }
}

// A removal on Windows 95 adds one NUL= line to WININIT.INI, on NT a pair to
// PendingFileRenameOperations (the folder's too); installing again before the restart takes back
// exactly those, also when the installer runs by its short name. Others' lines stay.
TEST(RestartDelete, AnInstallTakesBackTheRemovalsDeletionsOnly) {
  const std::string ini = win + "\\WININIT.INI|rename", pending = recording_actions::pending,
                    shortname = "C:\\PROGRA~1\\ORVIK\\ORVSETUP.EXE", others = "NUL=C:\\OTHER.TMP";
  const char pairs[] = "\\??\\C:\\x.tmp\0\0\\??\\C:\\a\0!\\??\\C:\\b";  // a delete, a rename
  const std::string theirs(pairs, sizeof pairs);
  for (bool nt : {false, true}) {
    SCOPED_TRACE(nt ? "Windows NT" : "Windows 95");
    recording_actions a;
    auto scheduled = [&] {
      return nt ? a.keys[recording_actions::path(local_machine, pending.c_str())]
                        [recording_actions::pending_value].second
                : a.profiles[ini];
    };
    auto setup = [&](recording_actions& r) {
      fake_settings.nt = nt;
      r.profiles[ini] = others + '\0';
      if (nt)
        r.write_lines(pending.c_str(), recording_actions::pending_value, pairs, theirs.size());
    };
    install(a, nullptr, [](auto& r) { set(r, 0, notepad, edit); });
    setup(a);
    std::string before = scheduled();
    a.files = {own}, fake_settings.module_path = own;
    run_removal(a, a, a);
    EXPECT_EQ(scheduled(), nt ? theirs + "\\??\\" + own + '\0' + '\0' + "\\??\\" + folder + '\0' +
                                    '\0'
                              : others + '\0' + "NUL=" + shortname + '\0');
    a.log.clear(), fake_settings.module_path = shortname;
    find_editor_dir();
    run_install(everything, a, a, a);
    EXPECT_EQ(scheduled(), before);
    for (const auto& line : a.log) EXPECT_EQ(line.find("copy C:\\PROGRA~1"), std::string::npos);
  }
}

TEST(RunRemoval, OnlyUninstallOnTheCommandLineAsksForIt) {
  for (auto [line, asks] : {std::pair{" \t/UnInstall \t", true}, {"/uninstall", true}, {"", false},
                            {"/uninstal", false}, {"/uninstall x", false}, {"/uninstallx", false}})
    EXPECT_EQ(is_remove_command(line), asks) << line;
}

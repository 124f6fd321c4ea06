// The removal entry: the record installs write and join, and the removal's decisions and message.
#include <gtest/gtest.h>

#include "fake_install.h"
#include "setup/install_dirs.h"
#include "setup/removal_record.h"
#include "setup/restart_delete.h"
#include "setup/run_install.h"
#include "setup/run_removal.h"

using strings = std::vector<std::string>;
using change = void (*)(fake_registry&, recording_actions&);
const char* const edit_key = "htmlfile\\shell\\Edit\\Command";
const std::string folder = "C:\\Program Files\\Orvik", own = folder + "\\OrvSetup.exe",
                  notepad = "\"C:\\notepad.exe\" \"%1\"", win = "C:\\WINDOWS";
const option_flags everything = {1, 0, 1, 1, 1, 1}, editor = {1, 0, 0, 1, 1, 1};

// Installs from A:\ with the Windows directory C:\WINDOWS and the editor's where PATH says.
static void install(fake_registry& registry, const option_flags& options, const char* path,
                    recording_actions& actions, change set) {
  fake_settings = {win, win + "\\SYSTEM", path ? std::optional(path) : std::nullopt};
  registry.write_value(classes_root, ".htm", nullptr, "htmlfile", value_text);
  set(registry, actions);
  find_editor_dir();
  run_install(options, actions, registry);
}
static std::string value(fake_registry& registry, const char* name,  // "(x)": expandable
                         const char* key = uninstall_key) {
  char text[1100] = "";
  value_kind kind = registry.read_value(key == uninstall_key ? local_machine : classes_root, key,
                                        name, text, sizeof text);
  if (kind == value_missing) return "none";
  return (kind == value_expandable_text ? "(x)" : "") + std::string(text);
}
static void set(fake_registry& registry, const char* name, const char* text,
                const char* key = uninstall_key, value_kind kind = value_text) {
  registry.write_value(key == uninstall_key ? local_machine : classes_root, key, name, text, kind);
}
static strings files(fake_registry& registry) {  // the File values in order
  strings paths;
  for (int i = 1; i <= 16; ++i)
    if (std::string path = value(registry, ("File" + std::to_string(i)).c_str()); path != "none")
      paths.push_back(path);
  return paths;
}

// In order on one registry: each install joins the files it made to the record; the Edit
// command's value before stays the one from before the first install while each replaces the
// recorded command. The installer's copy or the entry failing, or a full record, is one message.
TEST(RemovalRecord, InstallsJoinWhatTheyMade) {
  static const std::string tools = win + "\\TOOLS";
  const char* u = "C:\\WINDOWS\\UTIL";
  const std::string util = u + std::string("\\Orvik."), full = "Not all that was installed could";
  const struct { const option_flags& options; const char* path; change set; strings files;
                 std::string before, message; size_t count; int copies = 1; } rows[] = {
      {everything, "C:\\WINDOWS\\COMMAND",
       [](auto& r, auto&) { set(r, 0, notepad.c_str(), edit_key); },
       {folder + "\\Orvik.doc", folder + "\\OrvAgent.exe",
        win + "\\Start Menu\\Programs\\StartUp\\OrvWinAgent.lnk", win + "\\COMMAND\\Orvik.exe",
        win + "\\SendTo\\Orvik.lnk", own}, notepad, "", 6},
      {editor, u, [](auto&, auto&) {}, {util + "doc", util + "exe"}, notepad, "", 8},
      {editor, u, [](auto& r, auto&) { set(r, 0, "ed", edit_key); }, {}, "ed", "", 8},
      {editor, u, [](auto&, auto&) { fake_settings.module_path = own; }, {}, "ed", "", 8, 0},
      {editor, u, [](auto&, auto& a) { a.failing_sources = {"A:\\OrvSetup.exe"}; },
       {}, "ed", "Can't copy OrvSetup.exe into the agent folder.", 8, 0},
      {editor, u, [](auto& r, auto&) { set(r, 0, "", edit_key, value_unusable); }, {}, "ed", full,
       8},
      {editor, tools.c_str(), [](auto& r, auto&) {
         for (auto i : {"9", "10", "11", "12", "13", "14", "15"})
           set(r, ("File" + std::string(i)).c_str(), (tools + i + "\\Orvik.doc").c_str());
       }, {tools + "\\Orvik.doc"}, "ed", full, 16},
      {editor, u, [](auto& r, auto&) { r.refuse_machine = true; }, {}, "ed",
       "Can't record Orvik for its removal", 16}};
  fake_registry registry;
  for (const auto& r : rows) {
    recording_actions actions;
    install(registry, r.options, r.path, actions, r.set);
    strings recorded = files(registry);
    std::string last = actions.log.back(), copy = "copy A:\\OrvSetup.exe -> " + own;
    EXPECT_EQ(recorded.size(), r.count) << r.path;
    EXPECT_EQ(strings(recorded.end() - r.files.size(), recorded.end()), r.files);
    EXPECT_EQ(value(registry, "EditBefore"), r.before);
    EXPECT_EQ(last.substr(0, 6) == "error " ? last.substr(6, r.message.size()) : "", r.message);
    EXPECT_EQ(std::count(actions.log.begin(), actions.log.end(), copy), r.copies);
  }
  for (auto [name, text] : {std::pair<const char*, std::string>{"DisplayName", "Orvik"},
                            {"Publisher", "Orvik Software"}, {"AgentFolder", folder},
                            {"UninstallString", "\"" + own + "\" /uninstall"}})
    EXPECT_EQ(value(registry, name), text);
}

// After an install of everything over the Edit command notepad, the removal runs from the
// installer's copy under Windows NT, unless a row changes that. Items of the record that are
// not provably the install's are named by their text or, without one, by their value's name.
TEST(RunRemoval, TakesAwayWhatIsProvablyTheInstalls) {
  const std::string exe = win + "\\Orvik.exe", doc = folder + "\\Orvik.doc",
      lnk = win + "\\SendTo\\Orvik.lnk", removed = "tell Orvik was removed.\n",
      except = "warn Orvik was removed, except for:\n", later = "\n" + own + ": goes when Windows "
      "restarts", waits = ", and its folder with it if nothing else is in it",
      unknown = ": not recognised as Orvik's, left as it is\n", yes = removed + later + waits;
  const struct { const char* what; void (*set)(fake_registry&, recording_removal&);
                 std::string message, left, edit; } rows[] = {
      {"not installed", [](auto& r, auto&) { r.keys.clear(); },
       "tell Orvik is not installed: there is nothing to remove.", "all", "gone"},
      {"No", [](auto&, auto& a) { a.yes = false; }, "ask", "all", "ours"},
      {"Yes", [](auto&, auto&) {}, yes, own, notepad},
      {"a file gone", [](auto&, auto& a) { a.files.erase(win + "\\Orvik.exe"); }, yes, own,
       notepad},
      {"files held", [](auto&, auto& a) {
         a.errors = {{win + "\\Orvik.exe", 32}, {folder + "\\Orvik.doc", 5},
                     {win + "\\SendTo\\Orvik.lnk", 1234}};
       }, except + doc + ": access denied\n" + exe + ": in use\n" + lnk +
       ": not removed, error 1234\n" + later + waits, own + doc + exe + lnk, notepad},
      {"damaged", [](auto& r, auto& a) {
         int i = 8;  // File9 on; the first is accepted
         for (auto path :
              {"c:\\x\\ORVIK.LNK", "C:\\notepad.exe", "x\\Orvik.exe", "\\\\s\\Orvik.doc"})
           set(r, ("File" + std::to_string(++i)).c_str(), path);
         a.files.insert("c:\\x\\ORVIK.LNK");
         set(r, "File13", "C:\\Orvik.exe", uninstall_key, value_expandable_text);
         set(r, "File14", "", uninstall_key, value_unusable);
         set(r, "File15", ("C:\\" + std::string(250, 'L') + "\\Orvik.exe").c_str());
         set(r, "EditKey", "htmlfile\\shell\\Open\\Command"), set(r, "AgentFolder", "C:\\Orvik");
       }, except + "C:\\notepad.exe" + unknown + "x\\Orvik.exe" + unknown + "\\\\s\\Orvik.doc" +
       unknown + "C:\\Orvik.exe" + unknown + "File14" + unknown + "File15" + unknown + "C:\\Orvik" +
       unknown + ".htm Edit command" + unknown + later, own, "ours"},
      {"Edit changed since", [](auto& r, auto&) { set(r, 0, "ed", edit_key); }, removed +
       "\n.htm Edit command: left as it is, it was changed after the install" + later + waits, own,
       "ed"},
      {"no Edit before",
       [](auto& r, auto&) { r.delete_value(local_machine, uninstall_key, "EditBefore"); }, yes, own,
       "gone"},
      {"Edit before expandable", [](auto& r, auto&) {
         set(r, "EditBefore", "%windir%\\ed", uninstall_key, value_expandable_text);
       }, yes, own, "(x)%windir%\\ed"},
      {"Windows 95", [](auto&, auto& a) { fake_settings.nt = false, a.wininit = {"A=B\0", 4}; },
       removed + later + "; its folder stays", own, notepad},
      {"run from elsewhere", [](auto&, auto&) { fake_settings.module_path = "A:\\X.EXE"; },
       "tell Orvik was removed.", "", notepad},
      {"scheduling fails", [](auto&, auto& a) { a.boot_fails = true; },
       except + own + ": in use, and can't be set to go when Windows restarts", own, notepad},
      {"entry stays", [](auto& r, auto&) { r.refuse_machine = true; },
       except + "The removal entry in the registry: can't be deleted\n" + later + waits, own,
       notepad}};
  for (const auto& r : rows) {
    fake_registry registry;
    recording_actions installing;
    recording_removal actions;
    install(registry, everything, nullptr, installing,
            [](auto& r, auto&) { set(r, 0, notepad.c_str(), edit_key); });
    strings recorded = files(registry);
    std::string all, left, steps, edit;
    actions.files.insert(recorded.begin(), recorded.end());
    for (const auto& file : actions.files) all += file;
    fake_settings.module_path = own;
    r.set(registry, actions);
    run_removal(actions, registry);
    for (const auto& file : actions.files) left += file;
    for (const auto& line : actions.log) steps += line.substr(0, line.find(' ')) + " ";
    edit = registry.key_state(classes_root, "htmlfile\\shell\\Edit") ? value(registry, 0, edit_key)
                                                                     : "gone";
    EXPECT_EQ(actions.log.back(), r.message) << r.what;
    EXPECT_EQ(left, r.left == "all" ? all : r.left) << r.what;
    EXPECT_EQ(edit.find("\\Orvik.exe") == std::string::npos ? edit : "ours", r.edit) << r.what;
    EXPECT_EQ(actions.wininit, fake_settings.nt ? "" : "A=B" + std::string(1, '\0') +
              "NUL=C:\\PROGRAM FILES\\ORVIK\\ORVSETUP.EXE" + '\0');
    EXPECT_TRUE(r.what != std::string("Yes") ||  // agents stopped, then files, folder, copy
                steps == "ask stop stop stop delete delete delete delete delete rmdir at at tell ");
    fake_settings.nt = true;
  }
}

TEST(RunRemoval, OnlyUninstallOnTheCommandLineAsksForIt) {
  for (const char* line : {"/uninstall", " \t/UnInstall \t", "/UNINSTALL"})
    EXPECT_TRUE(is_remove_command(line));
  for (const char* line : {"", "/uninstal", "/uninstall x", "/uninstallx", "uninstall", "/foo"})
    EXPECT_FALSE(is_remove_command(line)) << line;
}

// WININIT.INI's [rename] section keeps other programs' lines; what does not fit is not added.
TEST(RunRemoval, RestartLinesJoinTheSection) {
  const std::string other("NUL=C:\\X\0A=B\0", 13), ours("nul=c:\\a\0A=B\0", 13);
  const struct { std::string section; uint32_t capacity; bool added; std::string after; } rows[] = {
      {"", 10, true, "NUL=C:\\A"}, {"", 9, false, ""}, {other, 23, true, other + "NUL=C:\\A"},
      {other, 22, false, other.substr(0, 12)}, {ours, 14, true, ours.substr(0, 12)}};
  for (const auto& r : rows) {
    std::string section = r.section + std::string(r.capacity + 1 - r.section.size(), '\0');
    uint32_t length = uint32_t(r.section.size());
    EXPECT_EQ(add_section_line(section.data(), length, r.capacity, "NUL=C:\\A"), r.added);
    EXPECT_EQ(section.substr(0, section.find(std::string(2, '\0'))), r.after);
  }
}

// Editor and agent directory discovery over the Windows and system directories and PATH.
#include <gtest/gtest.h>

#include <string>

#include "fake_install_settings.h"
#include "setup/install_dirs.h"

namespace {

std::string editor_for_path(const std::string& path) {
  fake_settings = {"C:\\WIN95", "C:\\WIN95\\SYSTEM", path};
  return find_editor_dir();
}

// Rows run in order, so each discovery must also forget the one before.
TEST(EditorDirectory, ChosenFromPathReadAfresh) {
  const std::string longest = "C:\\WIN95\\" + std::string(255 - 9, 'L');  // fits with terminator
  const struct { std::string path, expected; } cases[] = {
      // The command directory wins wherever it stands.
      {"C:\\WIN95;C:\\WIN95\\COMMAND;C:\\DOS", "C:\\WIN95\\COMMAND"},
      {"C:\\WIN95\\UTIL;c:\\win95\\command", "c:\\win95\\command"},
      {"C:\\WIN95\\COMMAND;C:\\WIN95\\UTIL", "C:\\WIN95\\COMMAND"},
      // Otherwise the first entry under the Windows directory, a plain prefix.
      {"C:\\WIN95\\UTIL;C:\\WIN95\\TOOLS", "C:\\WIN95\\UTIL"},
      {"C:\\DOS;C:\\WIN95X\\BIN;C:\\WIN95\\UTIL", "C:\\WIN95X\\BIN"},
      {"C:\\WIN95\\COMMANDS;C:\\WIN95\\UTIL", "C:\\WIN95\\COMMANDS"},
      // Blanks (not tabs) and one final backslash are trimmed.
      {"   C:\\WIN95\\UTIL\\  ", "C:\\WIN95\\UTIL"},
      {"C:\\WIN95\\UTIL; C:\\WIN95\\COMMAND\\ ", "C:\\WIN95\\COMMAND"},
      {"C:\\WIN95\\COMMAND\\\\", "C:\\WIN95\\COMMAND\\"},
      {"C:\\WIN95\\UTIL;C:\\WIN95\\COMMAND\\\\", "C:\\WIN95\\UTIL"},
      {"\tC:\\WIN95\\UTIL", "C:\\WIN95"},
      {"C:\\WIN95\\", "C:\\WIN95"},
      // Never under the system directory; shorter than it is not under it.
      {"C:\\WIN95\\SYSTEM;C:\\WIN95\\SYSTEM\\X", "C:\\WIN95"},
      {"c:\\win95\\system\\x;C:\\WIN95\\UTIL", "C:\\WIN95\\UTIL"},
      {"C:\\WIN95\\SYS", "C:\\WIN95\\SYS"},
      {"C:\\DOS;D:\\WIN95\\UTIL", "C:\\WIN95"},
      {"", "C:\\WIN95"},
      {";;  ;", "C:\\WIN95"},
      // An entry too long for the buffer is passed over, judged after trimming.
      {longest + "M;C:\\WIN95\\UTIL", "C:\\WIN95\\UTIL"},
      {longest + "M", "C:\\WIN95"},
      {longest + ";C:\\WIN95\\UTIL", longest},
      {"  " + longest + "\\  ", longest},
  };
  for (const auto& c : cases) EXPECT_EQ(editor_for_path(c.path), c.expected) << c.path;

  fake_settings = {"C:\\WIN95", "C:\\WIN95\\SYSTEM", std::nullopt};
  EXPECT_STREQ(find_editor_dir(), "C:\\WIN95");
  fake_settings = {"", "", "C:\\WIN95\\UTIL"};
  EXPECT_STREQ(find_editor_dir(), "");
  EXPECT_STREQ(windows_dir, "");

  // PATH is read whole in one read up to the longest value Windows allows;
  // a value that does not fit even so counts as no PATH.
  const std::string tail = ";C:\\WIN95\\UTIL";
  for (auto [length, expected] : {std::pair{32767u, "C:\\WIN95\\UTIL"}, {32768u, "C:\\WIN95"}}) {
    std::string path = std::string(length - tail.size(), 'D') + tail;
    EXPECT_EQ(editor_for_path(path), expected) << length;
    EXPECT_EQ(fake_settings.path_reads, 1);
  }
}

TEST(AgentDirectory, ProgramFilesOnTheWindowsDriveElseEmpty) {
  for (auto [windows, expected] : {std::pair{"D:\\WINDOWS", "D:\\Program Files\\Orvik"},
                                   {"\\\\SERVER\\WINDOWS", ""}, {"", ""}}) {
    fake_settings = {windows, std::string(windows) + "\\SYSTEM", std::nullopt};
    find_editor_dir();
    agent_dir[0] = 'X';  // rebuilt from scratch even after a caller wrote to it
    EXPECT_STREQ(find_agent_dir(), expected) << windows;
  }
}

}  // namespace

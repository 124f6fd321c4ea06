// Editor and agent directory discovery over the Windows directory, the
// system directory and PATH.
#include <gtest/gtest.h>

#include <string>

#include "fake_install_settings.h"
#include "setup/install_dirs.h"

namespace {

std::string editor_for_path(const std::string& path) {
  fake_settings_set("C:\\WIN95", "C:\\WIN95\\SYSTEM", path);
  return find_editor_dir();
}

TEST(EditorDirectory, CommandDirectoryIsPreferredWhereverItStands) {
  EXPECT_EQ(editor_for_path("C:\\WIN95;C:\\WIN95\\COMMAND;C:\\DOS"), "C:\\WIN95\\COMMAND");
  EXPECT_EQ(editor_for_path("C:\\WIN95\\UTIL;c:\\win95\\command"), "c:\\win95\\command");
  EXPECT_EQ(editor_for_path("C:\\WIN95\\COMMAND;C:\\WIN95\\UTIL"), "C:\\WIN95\\COMMAND");
}

TEST(EditorDirectory, OtherwiseTheFirstEntryUnderTheWindowsDirectory) {
  EXPECT_EQ(editor_for_path("C:\\WIN95\\UTIL;C:\\WIN95\\TOOLS"), "C:\\WIN95\\UTIL");
  EXPECT_EQ(editor_for_path("C:\\DOS;C:\\WIN95X\\BIN;C:\\WIN95\\UTIL"), "C:\\WIN95X\\BIN");  // plain prefix
  // A command directory with something after it is an ordinary entry.
  EXPECT_EQ(editor_for_path("C:\\WIN95\\COMMANDS;C:\\WIN95\\UTIL"), "C:\\WIN95\\COMMANDS");
}

TEST(EditorDirectory, BlanksAndOneFinalBackslashAreTrimmed) {
  EXPECT_EQ(editor_for_path("   C:\\WIN95\\UTIL\\  "), "C:\\WIN95\\UTIL");
  EXPECT_EQ(editor_for_path("C:\\WIN95\\UTIL; C:\\WIN95\\COMMAND\\ "), "C:\\WIN95\\COMMAND");
  // Two final backslashes: one stays, so it is never the command directory.
  EXPECT_EQ(editor_for_path("C:\\WIN95\\COMMAND\\\\"), "C:\\WIN95\\COMMAND\\");
  EXPECT_EQ(editor_for_path("C:\\WIN95\\UTIL;C:\\WIN95\\COMMAND\\\\"), "C:\\WIN95\\UTIL");
  // A tab is not a blank.
  EXPECT_EQ(editor_for_path("\tC:\\WIN95\\UTIL"), "C:\\WIN95");
  // The Windows directory with a final backslash is not longer than itself.
  EXPECT_EQ(editor_for_path("C:\\WIN95\\"), "C:\\WIN95");
}

TEST(EditorDirectory, SystemDirectoryEntriesAreNeverChosen) {
  EXPECT_EQ(editor_for_path("C:\\WIN95\\SYSTEM;C:\\WIN95\\SYSTEM\\X"), "C:\\WIN95");
  EXPECT_EQ(editor_for_path("c:\\win95\\system\\x;C:\\WIN95\\UTIL"), "C:\\WIN95\\UTIL");
  // Shorter than the system directory, so not under it.
  EXPECT_EQ(editor_for_path("C:\\WIN95\\SYS"), "C:\\WIN95\\SYS");
}

TEST(EditorDirectory, FallsBackToTheWindowsDirectory) {
  EXPECT_EQ(editor_for_path("C:\\DOS;D:\\WIN95\\UTIL"), "C:\\WIN95");
  EXPECT_EQ(editor_for_path(""), "C:\\WIN95");
  EXPECT_EQ(editor_for_path(";;  ;"), "C:\\WIN95");
  fake_settings_set("C:\\WIN95", "C:\\WIN95\\SYSTEM");  // no PATH at all
  EXPECT_EQ(std::string(find_editor_dir()), "C:\\WIN95");
}

TEST(EditorDirectory, EachDiscoveryReadsTheSettingsAfresh) {
  EXPECT_EQ(editor_for_path("C:\\WIN95\\UTIL"), "C:\\WIN95\\UTIL");
  EXPECT_EQ(editor_for_path("C:\\DOS"), "C:\\WIN95");
  fake_settings_set("", "", "C:\\WIN95\\UTIL");
  EXPECT_EQ(std::string(find_editor_dir()), "");
  EXPECT_EQ(std::string(windows_dir), "");
}

TEST(EditorDirectory, LongPathIsReadWhole) {
  std::string path;
  while (path.size() < 1500) path += "C:\\DOS\\TOOLS\\SOMEWHERE;";
  path += "C:\\WIN95\\UTIL;C:\\WIN95\\COMMAND";
  EXPECT_EQ(editor_for_path(path), "C:\\WIN95\\COMMAND");
  EXPECT_EQ(fake_settings.path_reads, 2);

  // 1023 characters still fit the fixed copy: one read.
  std::string fits(1023 - 14, 'A');
  fits.replace(0, 6, "C:\\DOS");
  fits += ";C:\\WIN95\\UTIL";
  ASSERT_EQ(fits.size(), 1023u);
  EXPECT_EQ(editor_for_path(fits), "C:\\WIN95\\UTIL");
  EXPECT_EQ(fake_settings.path_reads, 1);
}

TEST(EditorDirectory, EntryTooLongForTheBufferIsPassedOver) {
  std::string longest = "C:\\WIN95\\" + std::string(255 - 9, 'L');  // 255: fits with its terminator
  std::string too_long = longest + "M";
  EXPECT_EQ(editor_for_path(too_long + ";C:\\WIN95\\UTIL"), "C:\\WIN95\\UTIL");
  EXPECT_EQ(editor_for_path(too_long), "C:\\WIN95");
  EXPECT_EQ(editor_for_path(longest + ";C:\\WIN95\\UTIL"), longest);
  // Trimming happens before the length is judged.
  EXPECT_EQ(editor_for_path("  " + longest + "\\  "), longest);
}

TEST(EditorDirectory, ConsiderPathEntryAlone) {
  fake_settings_set("C:\\WIN95", "C:\\WIN95\\SYSTEM");
  find_editor_dir();
  editor_dir[0] = '\0';
  consider_path_entry("C:\\WIN95\\UTIL");
  EXPECT_STREQ(editor_dir, "C:\\WIN95\\UTIL");
  consider_path_entry("C:\\WIN95\\TOOLS");
  EXPECT_STREQ(editor_dir, "C:\\WIN95\\UTIL");
  consider_path_entry("C:\\Win95\\Command");
  EXPECT_STREQ(editor_dir, "C:\\Win95\\Command");
}

TEST(AgentDirectory, ProgramFilesOnTheWindowsDrive) {
  fake_settings_set("D:\\WINDOWS", "D:\\WINDOWS\\SYSTEM");
  find_editor_dir();
  EXPECT_STREQ(find_agent_dir(), "D:\\Program Files\\Orvik");
  // Rebuilt from scratch even after a caller appended to it.
  agent_dir[0] = 'X';
  EXPECT_STREQ(find_agent_dir(), "D:\\Program Files\\Orvik");
}

TEST(AgentDirectory, EmptyWithoutADriveLetter) {
  fake_settings_set("\\\\SERVER\\WINDOWS", "\\\\SERVER\\WINDOWS\\SYSTEM");
  find_editor_dir();
  EXPECT_STREQ(find_agent_dir(), "");
  fake_settings_set("", "");
  find_editor_dir();
  EXPECT_STREQ(find_agent_dir(), "");
}

}  // namespace

#include "agent/services/dialog_paths.h"

#include <gtest/gtest.h>

#include "fake_desktop.h"

namespace {

std::string dir(const std::string& path) {
  char out[dialog_buffer_size];
  memset(out, 'Z', sizeof out);
  initial_directory(path.c_str(), out);
  return out;
}

TEST(DialogPaths, InitialDirectoryAndFileName) {
  fake_desktop_reset();
  std::string deep = std::string(300, 'd') + "\\" + std::string(300, 'n');
  const std::tuple<std::string, std::string, std::string> rows[] = {
      {"C:\\DOCS\\NOTE.TXT", "C:\\DOCS", "NOTE.TXT"},
      {"C:\\NOTE.TXT", "C:", "NOTE.TXT"},
      {"C:\\DOCS\\", "C:\\DOCS", ""},
      {"NOTE.TXT", "C:\\", "NOTE.TXT"},
      {"D:NOTE.TXT", "C:\\", "NOTE.TXT"},
      {"", "C:\\", ""},
      {"\\NOTE.TXT", "", "NOTE.TXT"},
      {deep, std::string(255, 'd'), std::string(255, 'n')},  // cut to the buffers
  };
  for (const auto& [path, directory, file] : rows) {
    char name[dialog_buffer_size];
    initial_file_name(path.c_str(), name);
    EXPECT_EQ(dir(path), directory) << path;
    EXPECT_EQ(name, file) << path;
  }
}

TEST(DialogPaths, WithoutADirectoryTheWindowsDriveRootIsUsed) {
  const std::pair<std::string, std::string> rows[] = {
      {"\\\\SERVER\\WINDOWS", ""},      // on the network: the dialog chooses
      {"E:\\WIN98", "E:\\"},
      {"E:", ""},                       // a drive but no root to keep
      {"", "c:\\"},                     // the call fails
      {std::string(300, 'w'), "c:\\"},  // it would need a larger buffer
  };
  for (const auto& [windows_dir, directory] : rows) {
    fake_desktop_reset();
    fake_desk.windows_dir = windows_dir;
    EXPECT_EQ(dir("NOTE.TXT"), directory) << windows_dir;
  }
}

TEST(DialogPaths, ComposedPath) {
  const std::tuple<const char*, const char*, uint32_t, int, const char*> rows[] = {
      {"C:\\My Documents\\Quarterly report.txt", "C:\\MYDOCU~1\\QUARTE~1.TXT", 384, 11,
       "C:\\MYDOCU~1\\Quarterly report.txt"},
      {"C:\\Read me.txt", "C:\\README~1.TXT", 384, 2, "C:\\Read me.txt"},
      // A short directory that already ends with a backslash gets no second one.
      {"\\\\S\\\\a long name.txt", "\\\\S\\\\ALONGN~1.TXT", 384, 4, "\\\\S\\a long name.txt"},
      {"C:\\x.txt", "X.TXT", 384, -1, ""},  // no directory in the short form
      {"C:\\abc.txt", "C:\\ABC.TXT", 10, -1, ""},
      {"C:\\abc.txt", "C:\\ABC.TXT", 11, 2, "C:\\abc.txt"},
  };
  for (const auto& [full, short_form, capacity, dir_length, composed] : rows) {
    char out[384] = "";
    EXPECT_EQ(compose_chosen_path(full, short_form, out, capacity), dir_length) << full;
    EXPECT_STREQ(out, composed);
  }
}

}  // namespace

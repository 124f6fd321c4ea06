#include "agent/services/dialog_paths.h"

#include <gtest/gtest.h>

#include "fake_desktop.h"

namespace {

class DialogPaths : public ::testing::Test {
 protected:
  void SetUp() override { fake_desktop_reset(); }
  std::string dir(const char* path) {
    char out[dialog_buffer_size];
    memset(out, 'Z', sizeof out);
    initial_directory(path, out);
    return out;
  }
  std::string name(const char* path) {
    char out[dialog_buffer_size];
    initial_file_name(path, out);
    return out;
  }
};

TEST_F(DialogPaths, InitialDirectoryAndFileName) {
  struct row {
    const char* path;
    const char* directory;
    const char* file;
  } rows[] = {
      {"C:\\DOCS\\NOTE.TXT", "C:\\DOCS", "NOTE.TXT"},
      {"C:\\NOTE.TXT", "C:", "NOTE.TXT"},
      {"C:\\DOCS\\", "C:\\DOCS", ""},
      {"NOTE.TXT", "C:\\", "NOTE.TXT"},
      {"D:NOTE.TXT", "C:\\", "NOTE.TXT"},
      {"", "C:\\", ""},
      {"\\NOTE.TXT", "", "NOTE.TXT"},
  };
  for (const row& r : rows) {
    EXPECT_EQ(dir(r.path), r.directory) << r.path;
    EXPECT_EQ(name(r.path), r.file) << r.path;
  }
}

TEST_F(DialogPaths, WindowsDirectoryVariants) {
  fake_desk.windows_dir = "\\\\SERVER\\WINDOWS";  // on the network: the dialog chooses
  EXPECT_EQ(dir("NOTE.TXT"), "");
  fake_desk.windows_dir = "E:\\WIN98";
  EXPECT_EQ(dir("NOTE.TXT"), "E:\\");
  fake_desk.windows_dir = "E:";  // a drive but no root to keep
  EXPECT_EQ(dir("NOTE.TXT"), "");
  fake_desk.windows_dir_result = 0;
  fake_desk.windows_dir = "";  // the call fails: returns 0
  EXPECT_EQ(dir("NOTE.TXT"), "c:\\");
  fake_desk.windows_dir_result = 400;  // would need a larger buffer
  EXPECT_EQ(dir("NOTE.TXT"), "c:\\");
}

TEST_F(DialogPaths, LongPathsAreCutToTheBuffers) {
  std::string deep = std::string(300, 'd') + "\\" + std::string(300, 'n');
  EXPECT_EQ(dir(deep.c_str()).size(), 255u);
  EXPECT_EQ(name(deep.c_str()), std::string(255, 'n'));
}

TEST_F(DialogPaths, ComposedPath) {
  char out[384];
  EXPECT_EQ(compose_chosen_path("C:\\My Documents\\Quarterly report.txt", "C:\\MYDOCU~1\\QUARTE~1.TXT", out,
                                sizeof out),
            11);
  EXPECT_STREQ(out, "C:\\MYDOCU~1\\Quarterly report.txt");
  EXPECT_EQ(strlen(out), 32u);

  EXPECT_EQ(compose_chosen_path("C:\\Read me.txt", "C:\\README~1.TXT", out, sizeof out), 2);
  EXPECT_STREQ(out, "C:\\Read me.txt");
  EXPECT_EQ(out[2], '\\');  // dir_length is the index of that backslash

  // A short directory that already ends with a backslash gets no second one.
  EXPECT_EQ(compose_chosen_path("\\\\S\\\\a long name.txt", "\\\\S\\\\ALONGN~1.TXT", out, sizeof out), 4);
  EXPECT_STREQ(out, "\\\\S\\a long name.txt");

  // No directory in the short form, or no room: nothing composed.
  EXPECT_EQ(compose_chosen_path("C:\\x.txt", "X.TXT", out, sizeof out), -1);
  EXPECT_EQ(compose_chosen_path("C:\\abc.txt", "C:\\ABC.TXT", out, 10), -1);
  EXPECT_EQ(compose_chosen_path("C:\\abc.txt", "C:\\ABC.TXT", out, 11), 2);
}

}  // namespace

#include "agent/services/window_locator.h"

#include <gtest/gtest.h>

#include "fake_desktop.h"

namespace {

class WindowLocator : public ::testing::Test {
 protected:
  void SetUp() override { fake_desktop_reset(); }
  os_handle add(const std::string& title, const std::string& class_name = "Notepad", bool iconic = false,
                bool visible = true) {
    os_handle h = fake_window_handle(int(fake_desk.windows.size()));
    fake_desk.windows.push_back({h, title, class_name, iconic, visible});
    return h;
  }
};

// Each window is tried alone (chosen with 2 points or more) and below a
// window of 2 points (chosen only with 3: ties go to the higher window).
TEST_F(WindowLocator, ScoringTable) {
  struct row {
    std::string title;
    const char* class_name;
    const char* text;
    int score;
    bool iconic = false, visible = true;
  } rows[] = {
      {"Untitled - Notepad", "tty", "ORVIK1", 0},
      {"MS-DOS Prompt", "Notepad", "ORVIK1", 1},
      {"Editing ORVIK1", "Notepad", "ORVIK1", 1},
      {"MS-DOS Prompt - other", "tty", "ORVIK1", 2},
      {"Editing ORVIK1", "tty", "ORVIK1", 2},
      {"MS-DOS Prompt - ORVIK1", "Notepad", "ORVIK1", 2},
      {"MS-DOS Prompt - ORVIK1", "tty", "ORVIK1", 3},
      {"ms-dos prompt - x", "TTY", "ORVIK1", 2},  // case-blind marks
      {"MS-DOS Promp", "tty", "ORVIK1", 0},       // too short for the prompt mark
      {"Editing orvik1", "tty", "ORVIK1", 0},     // the text is compared with case
      {"MS-DOS Prompt", "ttyx", "ORVIK1", 1},     // the class must equal "tty"
      {"Untitled - Notepad", "Notepad", "", 1},   // an empty text is in every title
      {"Anything", "TTY", "", 2},
      {"MS-DOS Prompt", "tty", "", 3},
      {std::string(120, 'x') + "ORVIK1", "tty", "ORVIK1", 2},  // ends at character 126
      {std::string(122, 'x') + "ORVIK1", "tty", "ORVIK1", 0},  // cut at 127
      {std::string(200, 'x') + "ORVIK1", "tty", "ORVIK1", 0},
      {"MS-DOS Prompt - ORVIK1", "tty", "ORVIK1", 0, true},          // minimised
      {"MS-DOS Prompt - ORVIK1", "tty", "ORVIK1", 0, false, false},  // hidden
      {"", "tty", "", 0},                                            // untitled
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.title + " / " + r.class_name + " / " + r.text);
    fake_desktop_reset();
    os_handle h = add(r.title, r.class_name, r.iconic, r.visible);
    EXPECT_EQ(find_console_window(r.text), r.score >= 2 ? h : nullptr);
    fake_desktop_reset();
    os_handle two = add("Editing ORVIK1", "tty");
    h = add(r.title, r.class_name, r.iconic, r.visible);
    EXPECT_EQ(find_console_window(r.text), r.score == 3 ? h : two);
  }
}

TEST_F(WindowLocator, FactsAreAskedInOrderAndClassOnlyAfterAPoint) {
  add("MS-DOS Prompt - ORVIK1", "tty", true);
  add("");
  add("Untitled - Notepad", "tty");
  add("MS-DOS Prompt", "Notepad");
  add("MS-DOS Prompt - ORVIK1", "tty");
  EXPECT_EQ(find_console_window("ORVIK1"), fake_window_handle(4));
  std::vector<std::string> expected = {
      "first null", "text 0/128", "is_window 0", "is_iconic 0", "next 0",  // the walk stops at a failure
      "text 1/128", "next 1",                                               // an empty title asks nothing more
      "text 2/128", "is_window 2", "is_iconic 2", "is_visible 2", "next 2", // no point: no class read
      "text 3/128", "is_window 3", "is_iconic 3", "is_visible 3", "class 3/128", "next 3",
      "text 4/128", "is_window 4", "is_iconic 4", "is_visible 4", "class 4/128", "next 4",
      "text null/128", "next null"};
  ASSERT_GE(fake_desk.calls.size(), expected.size());
  fake_desk.calls.resize(expected.size());
  EXPECT_EQ(fake_desk.calls, expected);
}

TEST_F(WindowLocator, ExactlySixtyFourRoundsCountingEveryWindow) {
  add("MS-DOS Prompt - ORVIK1", "tty");
  find_console_window("ORVIK1");  // then 63 rounds on the null handle that ends the list
  EXPECT_EQ(fake_desk.calls.size(), 1 + 6 + 63 * 2u);  // first; the window; "text", "next" on null
  for (int before : {63, 64}) {
    fake_desktop_reset();
    for (int i = 0; i < before; i++) add("Untitled - Notepad");
    os_handle late = add("MS-DOS Prompt - ORVIK1", "tty");
    EXPECT_EQ(find_console_window("ORVIK1"), before == 63 ? late : nullptr) << before;
    EXPECT_EQ(fake_desk.calls.back(), "next 63") << before;  // the 64th round was the last
  }
}

}  // namespace

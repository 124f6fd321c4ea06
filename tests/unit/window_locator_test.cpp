#include "agent/services/window_locator.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fake_desktop.h"

namespace {

class WindowLocator : public ::testing::Test {
 protected:
  void SetUp() override { fake_desktop_reset(); }

  os_handle add(const std::string& title, const std::string& class_name = "Notepad") {
    os_handle h = fake_window_handle(int(fake_desk.windows.size()));
    fake_desk.windows.push_back({h, title, class_name});
    return h;
  }
  fake_window& last() { return fake_desk.windows.back(); }

  int count(const std::string& call) {
    return int(std::count_if(fake_desk.calls.begin(), fake_desk.calls.end(),
                             [&](const std::string& c) { return c.rfind(call + " ", 0) == 0; }));
  }
  bool class_read_of(os_handle window) {
    char text[32];
    snprintf(text, sizeof text, "class %p", window);
    return std::find(fake_desk.calls.begin(), fake_desk.calls.end(), text) != fake_desk.calls.end();
  }
};

// Each row: title, class, expected score class (chosen or not).
TEST_F(WindowLocator, ScoringTable) {
  struct row {
    const char* title;
    const char* class_name;
    bool chosen;
  } rows[] = {
      {"Untitled - Notepad", "tty", false},             // 0: class not even read
      {"MS-DOS Prompt", "Notepad", false},              // 1
      {"Editing ORVIK1", "Notepad", false},             // 1
      {"MS-DOS Prompt - other", "tty", true},           // 2
      {"Editing ORVIK1", "tty", true},                  // 2
      {"MS-DOS Prompt - ORVIK1", "Notepad", true},      // 2
      {"MS-DOS Prompt - ORVIK1", "tty", true},          // 3
      {"ms-dos prompt - x", "TTY", true},               // 2 by case-blind marks
      {"MS-DOS Promp", "tty", false},                   // too short for the prompt mark
      {"Editing orvik1", "tty", false},                 // text compared with case
      {"MS-DOS Prompt", "ttyx", false},                 // class must equal "tty"
  };
  for (const row& r : rows) {
    fake_desktop_reset();
    os_handle h = add(r.title, r.class_name);
    EXPECT_EQ(find_console_window("ORVIK1"), r.chosen ? h : nullptr) << r.title << " / " << r.class_name;
  }
}

TEST_F(WindowLocator, ClassIsReadOnlyForWindowsThatEarnedAPoint) {
  os_handle zero = add("Untitled - Notepad", "tty");
  os_handle one = add("MS-DOS Prompt", "Notepad");
  os_handle hidden = add("MS-DOS Prompt - ORVIK1", "tty");
  last().visible = false;
  EXPECT_EQ(find_console_window("ORVIK1"), nullptr);
  EXPECT_FALSE(class_read_of(zero));
  EXPECT_TRUE(class_read_of(one));
  EXPECT_FALSE(class_read_of(hidden));
  for (uint32_t capacity : fake_desk.buffer_capacities) EXPECT_EQ(capacity, 128u);
}

TEST_F(WindowLocator, FactsAreAskedInOrderAndTheWalkStopsAtTheFirstFailure) {
  os_handle a = add("MS-DOS Prompt - ORVIK1", "tty");
  last().iconic = true;
  os_handle b = add("");
  os_handle c = add("MS-DOS Prompt - ORVIK1", "tty");
  EXPECT_EQ(find_console_window("ORVIK1"), c);
  auto name = [](const char* call, os_handle h) {
    char text[48];
    snprintf(text, sizeof text, "%s %p", call, h);
    return std::string(text);
  };
  std::vector<std::string> expected = {
      "first null",
      name("text", a), name("is_window", a), name("is_iconic", a), name("next", a),
      name("text", b), name("next", b),  // an empty title asks nothing more
      name("text", c), name("is_window", c), name("is_iconic", c), name("is_visible", c),
      name("class", c), name("next", c),
  };
  ASSERT_GE(fake_desk.calls.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(fake_desk.calls.begin(), fake_desk.calls.begin() + long(expected.size())),
            expected);
}

TEST_F(WindowLocator, ExactlySixtyFourRoundsCountingEveryWindow) {
  add("MS-DOS Prompt - ORVIK1", "tty");
  find_console_window("ORVIK1");
  // One real window, then 63 rounds on the null handle that ends the list.
  EXPECT_EQ(count("text"), 64);
  EXPECT_EQ(count("next"), 64);

  fake_desktop_reset();
  for (int i = 0; i < 64; i++) add("Untitled - Notepad");
  os_handle late = add("MS-DOS Prompt - ORVIK1", "tty");  // 65th
  EXPECT_EQ(find_console_window("ORVIK1"), nullptr);
  EXPECT_EQ(count("text"), 64);

  fake_desktop_reset();
  for (int i = 0; i < 63; i++) add("Untitled - Notepad");
  late = add("MS-DOS Prompt - ORVIK1", "tty");  // 64th
  EXPECT_EQ(find_console_window("ORVIK1"), late);
}

TEST_F(WindowLocator, TiesGoToTheHigherWindowAndThreeBeatsTwoAnywhere) {
  os_handle first_two = add("Editing ORVIK1", "tty");
  add("MS-DOS Prompt - other", "tty");
  EXPECT_EQ(find_console_window("ORVIK1"), first_two);

  add("Untitled - Notepad");
  os_handle three = add("MS-DOS Prompt - ORVIK1", "tty");
  add("MS-DOS Prompt - ORVIK1 again", "tty");  // 3 as well, but lower
  EXPECT_EQ(find_console_window("ORVIK1"), three);
}

TEST_F(WindowLocator, MinimisedHiddenOrUntitledWindowsAreNeverChosen) {
  add("MS-DOS Prompt - ORVIK1", "tty");
  last().iconic = true;
  add("MS-DOS Prompt - ORVIK1", "tty");
  last().visible = false;
  add("", "tty");
  EXPECT_EQ(find_console_window(""), nullptr);
  EXPECT_EQ(find_console_window("ORVIK1"), nullptr);
}

TEST_F(WindowLocator, TitlesAreSeenUpTo127Characters) {
  std::string padding(120, 'x');
  add(padding + "ORVIK1", "tty");               // text ends at character 126: seen
  EXPECT_NE(find_console_window("ORVIK1"), nullptr);

  fake_desktop_reset();
  add(std::string(200, 'x') + "ORVIK1", "tty");  // beyond the cut
  EXPECT_EQ(find_console_window("ORVIK1"), nullptr);

  fake_desktop_reset();
  add(std::string(122, 'x') + "ORVIK1", "tty");  // straddles character 127
  EXPECT_EQ(find_console_window("ORVIK1"), nullptr);
}

TEST_F(WindowLocator, AnEmptyTextGivesEveryConsideredWindowItsPoint) {
  add("Untitled - Notepad");           // 1 point, class wrong: 1
  os_handle tty = add("Anything", "tty");  // 2
  add("MS-DOS Prompt", "tty");         // 3
  EXPECT_EQ(find_console_window(""), fake_desk.windows[2].handle);

  fake_desktop_reset();
  add("Untitled - Notepad");
  tty = add("Anything", "TTY");
  add("MS-DOS Prompt", "Notepad");  // 2 as well, but lower
  EXPECT_EQ(find_console_window(""), tty);
}

}  // namespace

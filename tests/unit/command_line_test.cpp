// The console programs' own cutting of the command line into arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/command_line.h"

TEST(CommandLine, CutAsTheCRuntimeCutsIt) {
  using words = std::vector<std::string>;
  const struct { const char* line; words args; size_t capacity = 64; } rows[] = {
      {"  probe.exe  send\t--code 7 ", {"probe.exe", "send", "--code", "7"}},
      {"\"C:\\Program Files\\p.exe\" x", {"C:\\Program Files\\p.exe", "x"}},  // the name keeps \ as is
      {"C:\\a\\\"b c\"\\\\ q", {"C:\\a\\b c\\\\", "q"}},
      {"p \"a b\"c \"\" \"d", {"p", "a bc", "", "d"}},  // quotes group and may end unclosed
      {"p a\\\\\\\"b c\\\\\"d e\" f\\g", {"p", "a\\\"b", "c\\d e", "f\\g"}},  // 2n+1 and 2n backslashes
      {"p 123456789", {"p", "1234"}, 7},  // cut where the text is full
      {"p a b c d e", {"p", "a", "b", "c"}},  // and at the most arguments
      {"", {}}};
  for (const auto& r : rows) {
    char text[64], *argv[5];
    int count = split_command_line(r.line, text, r.capacity, argv, 5);
    EXPECT_EQ(words(argv, argv + count), r.args) << r.line;
    EXPECT_EQ(argv[count], nullptr);
  }
}

// The text layout over any bytes on any device. Input: font height, width, height and fit answer
// (s32 each; below -1: 10 units a character), a repeat count, then the text, which the file holds
// that many times over so that chunk seams are reached. Checked: the file is read to its end,
// pages nest in one document, no line is longer than a source line or holds a break, and in text
// without NULs no character is lost.
#include <algorithm>
#include <cstring>
#include <map>

#include "agent/print/print_os.h"
#include "agent/print/text_layout.h"
#include "fake_print_os.h"

static bool mark(char c) { return c != ' ' && c != '\r' && c != '\n'; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int32_t metric[4];
  if (size < sizeof metric + 2) return 0;
  memcpy(metric, data, sizeof metric);
  std::string text(data + sizeof metric + 1, data + size), file;
  for (int i = 0; i <= data[sizeof metric] % 32; i++) file += text;
  fake_print_os_reset();
  print_fake.device = {metric[0], metric[1], metric[2], metric[3]};
  print_fake.files["F"] = file;
  print_fake.printers_with_dc = {"P"};
  print_text(print_os_open_file("F"), print_os_create_dc("P"), "doc");
  check(print_fake.read_at == file.size());
  const std::map<std::string, std::pair<std::string, std::string>> nesting = {
      {"doc doc/Text", {"", "d"}}, {"page", {"d", "dp"}}, {"end page", {"dp", "d"}},
      {"end doc", {"d", ""}}};  // from, to: "d" in the document, "dp" on a page
  std::string open;
  for (size_t i = 2; i < print_fake.log.size(); i++) {  // after the file's and the DC's
    auto step = nesting.find(print_fake.log[i]);  // else "map", or a line: drawn on a page
    if (step == nesting.end()) check(open == "dp" || print_fake.log[i] == "map");
    else check(open == step->second.first), open = step->second.second;
  }
  check(open.empty());
  size_t drawn = 0;
  for (const std::string& line : print_fake.lines) {
    check(line.size() <= max_line_chars && line.find_first_of({'\r', '\n', 0}) == line.npos);
    drawn += std::count_if(line.begin(), line.end(), mark);
  }
  if (text.find('\0') == text.npos)
    check(drawn == size_t(std::count_if(file.begin(), file.end(), mark)));
  return 0;
}

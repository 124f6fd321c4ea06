#include "common/command_line.h"

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

int split_command_line(const char* line, char* text, size_t capacity, char** argv,
                       int max_arguments) {
  size_t used = 0;
  int count = 0;
  auto put = [&](char c) {
    if (used + 1 < capacity) text[used++] = c;
  };
  while (count < max_arguments - 1 && used + 1 < capacity) {
    while (is_blank(*line)) ++line;
    if (!*line) break;
    argv[count] = text + used;
    bool quoted = false;
    if (count == 0) {  // the program's name: quotes only group
      for (; *line && (quoted || !is_blank(*line)); ++line) {
        if (*line == '"') quoted = !quoted;
        else put(*line);
      }
    } else {
      for (; *line && (quoted || !is_blank(*line)); ++line) {
        size_t backslashes = 0;
        while (line[backslashes] == '\\') ++backslashes;
        if (line[backslashes] == '"') {
          for (size_t i = 0; i < backslashes / 2; ++i) put('\\');
          line += backslashes;
          if (backslashes % 2) put('"');
          else quoted = !quoted;
        } else if (backslashes) {
          for (size_t i = 0; i < backslashes; ++i) put('\\');
          line += backslashes - 1;
        } else {
          put(*line);
        }
      }
    }
    text[used++] = '\0';
    ++count;
  }
  argv[count] = nullptr;
  return count;
}

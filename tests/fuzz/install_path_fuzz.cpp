// The installer's directory discovery. Input, NUL-separated: the Windows
// directory, the system directory and PATH (none without a second NUL).
#include <strings.h>

#include <cstring>
#include <string>

#include "fake_install.h"
#include "fake_os.h"
#include "setup/install_dirs.h"

static bool under(const std::string& path, const char* directory) {
  size_t n = strlen(directory);
  return n <= path.size() && !strncasecmp(path.c_str(), directory, n);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string piece[3];
  size_t i = 0;
  for (size_t at = 0; at < size; at++) {
    if (data[at] || i == 2) piece[i] += char(data[at]); else i++;
  }
  fake_settings = {piece[0], piece[1], i == 2 ? std::optional(piece[2]) : std::nullopt};

  std::string editor = find_editor_dir();
  check(editor.size() < dir_capacity);
  for (int d = 0; d < 2; d++)  // a directory is read whole or not at all
    check((d ? system_dir : windows_dir) == (piece[d].size() < dir_capacity ? piece[d] : ""));
  // The Windows directory, or a PATH entry below it and not below the system directory.
  check(editor.empty() == !windows_dir[0] && under(editor, windows_dir));
  if (editor != windows_dir) {
    check(editor.size() > strlen(windows_dir) && system_dir[0] && !under(editor, system_dir));
    check(piece[2].find(editor) != std::string::npos);
  }
  std::string agent = find_agent_dir();
  bool drive = windows_dir[0] && windows_dir[1] == ':';
  check(agent == (drive ? windows_dir[0] + std::string(":\\Program Files\\Orvik") : ""));
  return 0;
}

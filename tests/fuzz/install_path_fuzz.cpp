// The installer's directory discovery. Input, NUL-separated: the Windows
// directory, the system directory, PATH (none without a second NUL),
// ProgramFilesDir (none without a third) and the folder that exists (without
// a fourth: the one ProgramFilesDir names, without one final backslash).
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

// Each component between separators is a name: neither empty, "." nor "..".
static bool sound_components(const std::string& path) {
  size_t start = 0;
  for (size_t at = 0; at <= path.size(); at++) {
    if (at < path.size() && path[at] != '\\' && path[at] != '/') continue;
    std::string component = path.substr(start, at - start);
    if (component.empty() || component == "." || component == "..") return false;
    start = at + 1;
  }
  return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string piece[5];
  size_t i = 0;
  for (size_t at = 0; at < size; at++) {
    if (data[at] || i == 4) piece[i] += char(data[at]); else i++;
  }
  std::string named = piece[3].ends_with('\\') ? piece[3].substr(0, piece[3].size() - 1) : piece[3];
  fake_settings = {piece[0], piece[1], i >= 2 ? std::optional(piece[2]) : std::nullopt};
  fake_settings.program_files = i >= 3 ? piece[3] : "";
  fake_settings.folders = {i >= 4 ? piece[4] : named};

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

  // Where Windows keeps programs only as a folder on a drive that exists, named soundly, with
  // room for the agent's files; else the fixed folder on the Windows drive.
  std::string agent = find_agent_dir();
  bool drive = windows_dir[0] && windows_dir[1] == ':';
  std::string fixed = drive ? windows_dir[0] + std::string(":\\Program Files\\Orvik") : "";
  bool taken = i >= 3 && named.size() > 3 && isalpha(uint8_t(named[0])) &&
               named.substr(1, 2) == ":\\" && sound_components(named.substr(3)) &&
               directory_exists(named.c_str()) && named.size() + 19 < dir_capacity;
  check(agent == (!drive ? "" : taken ? named + "\\Orvik" : fixed));
  return 0;
}

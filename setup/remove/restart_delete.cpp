#include "setup/remove/restart_delete.h"

#include <cstring>

#include "setup/install_dirs.h"
#include "setup/path_text.h"
#include "setup/windows_settings.h"

namespace {

// The most a profile section read may be given on Windows 95 and 98; a
// larger size may be refused there, and the section then read as empty.
char section[32767];

// Adds line to a section held as the profile calls pass it (length: the
// characters before the final NUL). A line already there (compared without
// case) is not added again; false, the section unchanged, when it would not fit.
bool add_section_line(uint32_t length, const char* line) {
  for (const char* at = section; at < section + length && *at; at += strlen(at) + 1)
    if (equal_ignoring_case(at, line)) return true;
  uint32_t size = uint32_t(strlen(line)) + 1;
  if (length + size + 1 > sizeof section) return false;
  memcpy(section + length, line, size);
  section[length + size] = '\0';
  return true;
}

bool add_wininit_line(remove_actions& actions, const char* path) {
  char file[dir_capacity + 16], line[dir_capacity + 4] = "NUL=";
  // WININIT runs before Windows does and knows short names only.
  if (!directory_file(file, sizeof file, find_windows_dir(), "\\WININIT.INI") ||
      !actions.short_path(path, line + 4, sizeof line - 4))
    return false;
  uint32_t length = actions.read_profile_section(file, "rename", section, sizeof section);
  return length < sizeof section - 2 && add_section_line(length, line) &&
         actions.write_profile_section(file, "rename", section);
}

}  // namespace

bool delete_at_restart(remove_actions& actions, const char* path) {
  return windows_is_nt() ? actions.delete_at_boot(path) : add_wininit_line(actions, path);
}

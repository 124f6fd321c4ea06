#include "setup/restart_delete.h"

#include <cstring>

#include "setup/install_dirs.h"
#include "setup/path_text.h"
#include "setup/windows_settings.h"

namespace {

char section[profile_section_capacity];

bool add_wininit_line(remove_actions& actions, const char* path) {
  char file[dir_capacity + 16], line[dir_capacity + 4] = "NUL=";
  // WININIT runs before Windows does and knows short names only.
  if (!directory_file(file, sizeof file, find_windows_dir(), "\\WININIT.INI") ||
      !actions.short_path(path, line + 4, sizeof line - 4))
    return false;
  uint32_t length = actions.read_profile_section(file, "rename", section, sizeof section);
  return length < sizeof section - 2 && add_section_line(section, length, sizeof section, line) &&
         actions.write_profile_section(file, "rename", section);
}

}  // namespace

bool delete_at_restart(remove_actions& actions, const char* path) {
  return windows_is_nt() ? actions.delete_at_boot(path) : add_wininit_line(actions, path);
}

bool add_section_line(char* lines, uint32_t length, uint32_t capacity, const char* line) {
  for (const char* at = lines; at < lines + length && *at; at += strlen(at) + 1)
    if (equal_ignoring_case(at, line)) return true;
  uint32_t size = uint32_t(strlen(line)) + 1;
  if (length + size + 1 > capacity) return false;
  memcpy(lines + length, line, size);
  lines[length + size] = '\0';
  return true;
}

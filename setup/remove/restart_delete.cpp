#include "setup/remove/restart_delete.h"

#include <cstring>

#include "setup/install_dirs.h"
#include "setup/path_text.h"
#include "setup/windows_settings.h"

namespace {

constexpr char pending_key[] = "System\\CurrentControlSet\\Control\\Session Manager";
constexpr char pending_value[] = "PendingFileRenameOperations";
constexpr char nt_prefix[] = "\\??\\";

// The most a profile section read may be given on Windows 95 and 98; a
// larger size may be refused there, and the section then read as empty.
// The pending renames of Windows NT are read into it too.
char lines[32767];

// The lines of a section or list held in `lines` (length: the characters
// before the final NUL).
const char* next_line(const char* at) { return at + strlen(at) + 1; }

// Adds line to the section held in `lines`. A line already there (compared
// without case) is not added again; false, the section unchanged, when it
// would not fit.
bool add_line(uint32_t length, const char* line) {
  for (const char* at = lines; at < lines + length && *at; at = next_line(at))
    if (equal_ignoring_case(at, line)) return true;
  uint32_t size = uint32_t(strlen(line)) + 1;
  if (length + size + 1 > sizeof lines) return false;
  memcpy(lines + length, line, size);
  lines[length + size] = '\0';
  return true;
}

// Takes the lines (count at a time: 1 for a section, 2 for a rename pair)
// that doomed() picks out of the `length` characters held; returns the
// characters left.
template <typename Doomed>
size_t drop_lines(size_t length, int count, Doomed doomed) {
  char* kept = lines;
  for (const char* at = lines; at < lines + length && *at;) {
    const char* after = at;
    for (int i = 0; i < count && after < lines + length; ++i) after = next_line(after);
    size_t size = size_t(after - at);
    if (!doomed(at, after)) {
      memmove(kept, at, size);
      kept += size;
    }
    at = after;
  }
  *kept = '\0';
  return size_t(kept - lines);
}

bool wininit_path(char (&file)[dir_capacity + 16]) {
  return directory_file(file, sizeof file, find_windows_dir(), "\\WININIT.INI");
}

bool add_wininit_line(restart_os& os, const char* path) {
  char file[dir_capacity + 16], line[dir_capacity + 4] = "NUL=";
  // WININIT runs before Windows does and knows short names only.
  if (!wininit_path(file) || !os.short_path(path, line + 4, sizeof line - 4)) return false;
  uint32_t length = os.read_profile_section(file, "rename", lines, sizeof lines);
  return length < sizeof lines - 2 && add_line(length, line) &&
         os.write_profile_section(file, "rename", lines);
}

// One of the files or the folder an install made.
bool is_made(restart_os& os, const removal_record& made, const char* path) {
  for (const auto& file : made.files)
    if (file[0] && same_file(os, path, file)) return true;
  return made.agent_folder[0] && same_file(os, path, made.agent_folder);
}

void drop_wininit_lines(restart_os& os, const removal_record& made) {
  char file[dir_capacity + 16];
  uint32_t length;
  if (!wininit_path(file) ||
      (length = os.read_profile_section(file, "rename", lines, sizeof lines)) == 0 ||
      length >= sizeof lines - 2)
    return;
  size_t left = drop_lines(length, 1, [&](const char* line, const char*) {
    return same_text_ignoring_case(line, "NUL=", 4) && is_made(os, made, line + 4);
  });
  if (left != length) os.write_profile_section(file, "rename", lines);
}

void drop_pending_deletes(restart_os& os, registry_store& registry, const removal_record& made) {
  size_t length = registry.read_lines(pending_key, pending_value, lines, sizeof lines);
  if (length == 0) return;
  constexpr size_t prefix = sizeof nt_prefix - 1;
  size_t left = drop_lines(length, 2, [&](const char* source, const char* after) {
    const char* destination = next_line(source);
    return destination < after && destination[0] == '\0' &&
           same_text_ignoring_case(source, nt_prefix, prefix) && is_made(os, made, source + prefix);
  });
  if (left == length) return;
  if (left == 0)
    registry.delete_value(local_machine, pending_key, pending_value);
  else
    registry.write_lines(pending_key, pending_value, lines, left);
}

}  // namespace

bool delete_at_restart(restart_os& os, const char* path) {
  return windows_is_nt() ? os.delete_at_boot(path) : add_wininit_line(os, path);
}

void keep_at_restart(restart_os& os, registry_store& registry, const removal_record& made) {
  if (windows_is_nt())
    drop_pending_deletes(os, registry, made);
  else
    drop_wininit_lines(os, made);
}

bool same_file(restart_os& os, const char* a, const char* b) {
  char short_a[dir_capacity], short_b[dir_capacity];
  return equal_ignoring_case(a, b) ||
         (os.short_path(a, short_a, sizeof short_a) && os.short_path(b, short_b, sizeof short_b) &&
          equal_ignoring_case(short_a, short_b));
}

#include "setup/install_dirs.h"

#include <cstdint>
#include <cstring>

#include "setup/path_text.h"
#include "setup/windows_settings.h"

char windows_dir[dir_capacity];
char system_dir[dir_capacity];
char editor_dir[dir_capacity];
char agent_dir[dir_capacity];
char module_path[dir_capacity];

namespace {

char path_copy[path_copy_capacity];

constexpr char command_subdirectory[] = "\\command";
constexpr size_t command_subdirectory_length = sizeof command_subdirectory - 1;

// A directory that does not fit its buffer is dropped rather than cut.
void read_directory(uint32_t (*read)(char*, uint32_t), char* out) {
  uint32_t length = read(out, dir_capacity);
  out[length < dir_capacity ? length : 0] = '\0';
}

// PATH is read into the fixed copy, which holds the longest value an
// environment variable can have. Returns the text to cut (writable), empty
// when PATH is missing, cannot be read or does not fit after all.
char* read_path() {
  uint32_t length = read_environment_variable("PATH", path_copy, path_copy_capacity);
  path_copy[length < path_copy_capacity ? length : 0] = '\0';
  return path_copy;
}

void take_entry(const char* entry, size_t length) {
  memcpy(editor_dir, entry, length);
  editor_dir[length] = '\0';
}

}  // namespace

void consider_path_entry(const char* entry) {
  while (*entry == ' ') ++entry;
  size_t length = strlen(entry);
  if (length > 0) {
    while (length > 0 && entry[length - 1] == ' ') --length;
    if (length > 0 && entry[length - 1] == '\\') --length;
  }

  size_t windows_length = strlen(windows_dir);
  if (windows_length == 0) return;  // nothing lies under an unknown Windows directory
  if (length <= windows_length) return;
  if (!same_text_ignoring_case(entry, windows_dir, windows_length)) return;  // plain prefix
  size_t system_length = strlen(system_dir);
  if (system_length <= length && same_text_ignoring_case(entry, system_dir, system_length)) return;
  if (length >= dir_capacity) return;  // passed over: a cut entry would name another directory

  if (editor_dir[0] == '\0') {
    take_entry(entry, length);
    return;
  }
  if (length == windows_length + command_subdirectory_length &&
      same_text_ignoring_case(entry + windows_length, command_subdirectory,
                              command_subdirectory_length)) {
    take_entry(entry, length);
  }
}

const char* find_windows_dir() {
  read_directory(read_windows_directory, windows_dir);
  return windows_dir;
}

const char* find_module_path() {
  read_directory(read_module_path, module_path);
  return module_path;
}

const char* find_editor_dir() {
  system_dir[0] = editor_dir[0] = path_copy[0] = '\0';
  find_windows_dir();
  read_directory(read_system_directory, system_dir);

  char* piece = read_path();
  for (;;) {
    char* end = strchr(piece, ';');
    if (end) *end = '\0';
    consider_path_entry(piece);
    if (!end) break;
    piece = end + 1;
  }

  if (editor_dir[0] == '\0') copy_text(editor_dir, dir_capacity, windows_dir);
  return editor_dir;
}

bool fixed_shortcut_dir(shell_folder folder, char (&out)[dir_capacity]) {
  return directory_file(out, dir_capacity, windows_dir,
                        folder == startup_folder ? "\\Start Menu\\Programs\\StartUp" : "\\SendTo");
}

const char* find_shortcut_dir(shell_folder folder) {
  static char shortcut_dir[dir_capacity];
  uint32_t length = read_shell_folder(folder, shortcut_dir, dir_capacity);
  if (length == 0)
    fixed_shortcut_dir(folder, shortcut_dir);
  else if (length >= dir_capacity)
    shortcut_dir[0] = '\0';
  return shortcut_dir;
}

const char* find_program_files_agent_dir() {
  static char folder[dir_capacity];
  constexpr size_t longest_file = sizeof setup_file - 1;
  static_assert(sizeof agent_file <= sizeof setup_file && sizeof manual_file <= sizeof setup_file);
  read_directory(read_program_files_dir, folder);
  size_t length = strlen(folder);
  if (length > 0 && folder[length - 1] == '\\') folder[--length] = '\0';
  bool fits = length + sizeof agent_folder_name - 1 + longest_file < dir_capacity;
  if (fits && is_drive_folder(folder) && directory_exists(folder))
    append_text(folder, dir_capacity, agent_folder_name);
  else
    folder[0] = '\0';
  return folder;
}

const char* find_agent_dir() {
  agent_dir[0] = '\0';
  if (windows_dir[0] == '\0' || windows_dir[1] != ':') return agent_dir;
  const char* in_program_files = find_program_files_agent_dir();
  if (in_program_files[0]) {
    copy_text(agent_dir, dir_capacity, in_program_files);
  } else {
    agent_dir[0] = windows_dir[0];
    agent_dir[1] = ':';
    agent_dir[2] = '\0';
    append_text(agent_dir, dir_capacity, fixed_agent_folder);
  }
  return agent_dir;
}

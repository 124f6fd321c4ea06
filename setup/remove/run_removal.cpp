#include "setup/remove/run_removal.h"

#include <cstring>

#include "common/agent_classes.h"
#include "setup/htm_edit_command.h"
#include "setup/install_dirs.h"
#include "setup/path_text.h"
#include "setup/remove/restart_delete.h"
#include "setup/windows_settings.h"

namespace {

constexpr char not_installed[] = "Orvik is not installed: there is nothing to remove.";
constexpr char question[] =
    "Remove Orvik from this computer? Its agent is stopped, and the editor, the agent, the "
    "manual, the shortcuts and the .htm Edit command are removed.";
constexpr char removed[] = "Orvik was removed.";
constexpr char removed_except[] = "Orvik was removed, except for:";

// The Windows error codes the removal tells apart.
constexpr uint32_t error_file_not_found = 2, error_path_not_found = 3, error_access_denied = 5,
                   error_sharing_violation = 32, error_lock_violation = 33,
                   error_dir_not_empty = 145;

// A line is a path and a reason; there is at most one for each record item
// (the files, the folder, the Edit command) and one for the entry, so the
// message always fits.
constexpr size_t line_capacity = record_path_capacity + 80;
char not_removed[(record_file_capacity + 3) * line_capacity];
char notes[2 * line_capacity];
char message[sizeof removed_except + sizeof not_removed + sizeof notes];

removal_record record;

void add_line(char* lines, size_t capacity, const char* label, const char* reason,
              uint32_t error = 0) {
  char line[line_capacity];
  if (copy_text(line, sizeof line, "\n") && append_text(line, sizeof line, label) &&
      append_text(line, sizeof line, ": ") && append_text(line, sizeof line, reason) &&
      (error == 0 || append_number(line, sizeof line, error)))
    append_text(lines, capacity, line);
}

void not_removed_item(const char* label, const char* reason) {
  add_line(not_removed, sizeof not_removed, label, reason);
}

void not_recognised(const char* label) {
  not_removed_item(label, "not recognised as Orvik's, left as it is");
}

// A file or folder that is gone now, or was already, is no failure.
bool gone(uint32_t error) {
  return error == 0 || error == error_file_not_found || error == error_path_not_found;
}

void report_deletion(const char* path, uint32_t error) {
  if (gone(error)) return;
  if (error == error_sharing_violation || error == error_lock_violation)
    not_removed_item(path, "in use");
  else if (error == error_access_denied)
    not_removed_item(path, "access denied");
  else if (error == error_dir_not_empty)
    not_removed_item(path, "kept, other files are in it");
  else
    add_line(not_removed, sizeof not_removed, path, "not removed, error ", error);
}

// The program's file may be named by its long or its short path.
bool is_own_file(remove_actions& actions, const char* path) {
  char a[record_path_capacity], b[dir_capacity];
  return module_path[0] &&
         (equal_ignoring_case(path, module_path) ||
          (actions.short_path(path, a, sizeof a) && actions.short_path(module_path, b, sizeof b) &&
           equal_ignoring_case(a, b)));
}

bool is_in_agent_folder(const char* path) {
  char copy[record_path_capacity];
  return directory_file(copy, sizeof copy, record.agent_folder, "\\OrvSetup.exe") &&
         equal_ignoring_case(copy, path);
}

void remove_edit_command(registry_store& registry) {
  if (record.edit.key[0] == '\0') return;
  edit_removal result = remove_htm_edit_command(registry, record.edit);
  if (result == edit_not_ours)
    add_line(notes, sizeof notes, ".htm Edit command",
             "left as it is, it was changed after the install");
  else if (result == edit_failed)
    not_removed_item(".htm Edit command", "can't be given back");
}

// The running copy goes when Windows restarts; on Windows NT its folder
// too, which the restart removes only when nothing else is left in it.
void remove_at_restart(remove_actions& actions, const char* own, bool folder_waits) {
  if (!delete_at_restart(actions, own)) {
    not_removed_item(own, "in use, and can't be set to go when Windows restarts");
    return;
  }
  char line[line_capacity];
  copy_text(line, sizeof line, "goes when Windows restarts");
  if (folder_waits && windows_is_nt() && actions.delete_at_boot(record.agent_folder))
    append_text(line, sizeof line, ", and its folder with it if nothing else is in it");
  else if (folder_waits)
    append_text(line, sizeof line, "; its folder stays");
  add_line(notes, sizeof notes, own, line);
}

void remove_recorded(remove_actions& actions, registry_store& registry) {
  const char* own = nullptr;
  for (int i = 0; i < record.file_count; ++i) {
    if (!own && is_own_file(actions, record.files[i]))
      own = record.files[i];
    else
      report_deletion(record.files[i], actions.delete_file(record.files[i]));
  }
  remove_edit_command(registry);
  bool folder_waits = false;
  if (record.agent_folder[0]) {
    uint32_t error = actions.remove_directory(record.agent_folder);
    folder_waits = !gone(error) && own && is_in_agent_folder(own);
    if (!folder_waits) report_deletion(record.agent_folder, error);
  }
  if (own) remove_at_restart(actions, own, folder_waits);
}

}  // namespace

bool is_remove_command(const char* command_line) {
  constexpr char word[] = "/uninstall";
  constexpr size_t length = sizeof word - 1;
  while (*command_line == ' ' || *command_line == '\t') ++command_line;
  if (strnlen(command_line, length) < length ||
      !same_text_ignoring_case(command_line, word, length))
    return false;
  for (command_line += length; *command_line == ' ' || *command_line == '\t';) ++command_line;
  return *command_line == '\0';
}

void run_removal(remove_actions& actions, registry_store& registry) {
  if (registry.key_state(local_machine, uninstall_key) == key_missing) {
    actions.show_result(not_installed, false);
    return;
  }
  if (!actions.confirm(question)) return;
  for (const char* class_name : agent_class_names) actions.stop_agent(class_name);

  not_removed[0] = notes[0] = '\0';
  find_module_path();
  read_record(registry, record, not_recognised);
  remove_recorded(actions, registry);
  if (!registry.delete_key(local_machine, uninstall_key))
    not_removed_item("The removal entry in the registry", "can't be deleted");

  copy_text(message, sizeof message, not_removed[0] ? removed_except : removed);
  append_text(message, sizeof message, not_removed);
  if (notes[0]) {
    append_text(message, sizeof message, "\n");
    append_text(message, sizeof message, notes);
  }
  actions.show_result(message, not_removed[0] != '\0');
}

#include "setup/remove/run_removal.h"

#include <cstring>

#include "common/agent_classes.h"
#include "setup/htm_edit_command.h"
#include "setup/install_dirs.h"
#include "setup/path_text.h"
#include "setup/windows_settings.h"

namespace {

constexpr char not_installed[] = "Orvik is not installed: there is nothing to remove.";
constexpr char question[] =
    "Remove Orvik from this computer? Its agent is stopped, and the editor, the agent, the "
    "manual, the shortcuts and the .htm Edit command are removed.";
constexpr char removed[] = "Orvik was removed.";
constexpr char removed_except[] = "Orvik was removed, except for:";
constexpr char still_listed[] =
    "\n\nOrvik stays in the list of programs with what is left, so that removing it again "
    "can finish the job.";

// The Windows error codes the removal tells apart.
constexpr uint32_t error_file_not_found = 2, error_path_not_found = 3, error_access_denied = 5,
                   error_sharing_violation = 32, error_lock_violation = 33,
                   error_dir_not_empty = 145;

// A line is a path and a reason; there is at most one for each value of the
// record and one for the entry, and a note for each file or Edit command,
// so the message always fits.
constexpr size_t line_capacity = record_path_capacity + 96;
constexpr int record_values = record_file_capacity + record_folder_capacity + 1 + record_edit_capacity;
char not_removed[(record_values + 1) * line_capacity];
char notes[(record_values + 1) * line_capacity];
char message[sizeof removed_except + sizeof not_removed + sizeof still_listed + sizeof notes];

removal_record record;
bool leaves_something;  // the entry stays

void add_line(char* lines, size_t capacity, const char* label, const char* reason,
              uint32_t error = 0) {
  char line[line_capacity];
  if (copy_text(line, sizeof line, "\n") && append_text(line, sizeof line, label) &&
      append_text(line, sizeof line, ": ") && append_text(line, sizeof line, reason) &&
      (error == 0 || append_number(line, sizeof line, error)))
    append_text(lines, capacity, line);
}

void note(const char* label, const char* text) { add_line(notes, sizeof notes, label, text); }

void stays(const char* label, const char* reason, uint32_t error = 0) {
  add_line(not_removed, sizeof not_removed, label, reason, error);
  leaves_something = true;
}

void not_recognised(const char* label) { stays(label, "not recognised as Orvik's, left as it is"); }

// A file or folder that is gone now, or was already, is no failure.
bool gone(uint32_t error) {
  return error == 0 || error == error_file_not_found || error == error_path_not_found;
}

// Windows 95 and NT deny deleting a running program's file; a read-only
// file is denied too, and is the user's to keep.
bool in_use(remove_actions& actions, uint32_t error, const char* path) {
  return error == error_sharing_violation || error == error_lock_violation ||
         (error == error_access_denied && !actions.is_read_only(path));
}

// True when the file is gone, or goes when Windows restarts.
bool delete_recorded(remove_actions& actions, restart_os& restart, const char* path) {
  uint32_t error = actions.delete_file(path);
  if (gone(error)) return true;
  if (in_use(actions, error, path) && delete_at_restart(restart, path)) {
    note(path, "in use, goes when Windows restarts");
    return true;
  }
  if (error == error_sharing_violation || error == error_lock_violation)
    stays(path, "in use");
  else if (error == error_access_denied)
    stays(path, "access denied");
  else
    stays(path, "not removed, error ", error);
  return false;
}

void remove_edit_command(registry_store& registry, int slot) {
  const htm_edit_item& edit = record.edits[slot];
  char label[htm_edit_key_capacity + 32];
  copy_text(label, sizeof label, ".htm Edit command of ");
  append_text(label, sizeof label, edit.key);
  label[strlen(label) - strlen(htm_edit_suffix)] = '\0';  // the class
  switch (remove_htm_edit_command(registry, edit)) {
    case edit_removed:
      if (edit.before_kind == value_unusable)
        note(label, "removed; the Edit command from before the install could not be restored");
      break;
    case edit_not_ours:
      note(label, "left as it is, it was changed after the install");
      break;
    case edit_failed:
      stays(label, "can't be given back");
      return;
  }
  forget_record_edit(registry, slot);
}

// The installer's copy that the entry runs; it goes last, with the folder.
bool is_uninstaller(const char* path) {
  char copy[record_path_capacity];
  return directory_file(copy, sizeof copy, record.agent_folder, setup_file) &&
         equal_ignoring_case(copy, path);
}

// The running copy goes when Windows restarts; on Windows NT its folder
// too, which the restart removes only when nothing else is left in it.
void remove_at_restart(restart_os& restart, const char* own, bool folder_waits) {
  if (!delete_at_restart(restart, own)) {
    add_line(not_removed, sizeof not_removed, own,
             "in use, and can't be set to go when Windows restarts");
    return;
  }
  char line[line_capacity];
  copy_text(line, sizeof line, "goes when Windows restarts");
  if (folder_waits && windows_is_nt() && restart.delete_at_boot(record.agent_folder))
    append_text(line, sizeof line, ", and its folder with it if nothing else is in it");
  else if (folder_waits)
    append_text(line, sizeof line, "; its folder stays");
  note(own, line);
}

// The uninstaller, the folder and the entry, once nothing else stays.
void remove_the_rest(remove_actions& actions, registry_store& registry, restart_os& restart,
                     const char* uninstaller) {
  bool own = uninstaller && module_path[0] && same_file(restart, uninstaller, module_path);
  if (uninstaller && !own && !delete_recorded(actions, restart, uninstaller)) return;
  bool folder_waits = false;
  if (record.agent_folder[0]) {
    uint32_t error = actions.remove_directory(record.agent_folder);
    folder_waits = !gone(error) && own;
    if (error == error_dir_not_empty && !own)
      note(record.agent_folder, "kept, other files are in it");
    else if (!gone(error) && !own)
      add_line(not_removed, sizeof not_removed, record.agent_folder, "not removed, error ", error);
  }
  if (own) remove_at_restart(restart, uninstaller, folder_waits);
  if (!registry.delete_key(local_machine, uninstall_key))
    add_line(not_removed, sizeof not_removed, "The removal entry in the registry", "can't be deleted");
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

void run_removal(remove_actions& actions, registry_store& registry, restart_os& restart) {
  if (registry.key_state(local_machine, uninstall_key) == key_missing) {
    actions.show_result(not_installed, false);
    return;
  }
  if (!actions.confirm(question)) return;
  for (const char* class_name : agent_class_names) actions.stop_agent(class_name);

  not_removed[0] = notes[0] = '\0';
  leaves_something = false;
  find_module_path();
  read_record(registry, record, not_recognised);
  const char* uninstaller = nullptr;
  for (int slot = 0; slot < record_file_capacity; ++slot) {
    const char* path = record.files[slot];
    if (!path[0]) continue;
    if (is_uninstaller(path))
      uninstaller = path;
    else if (delete_recorded(actions, restart, path))
      forget_record_file(registry, slot);
  }
  for (int slot = 0; slot < record_edit_capacity; ++slot)
    if (record.edits[slot].key[0]) remove_edit_command(registry, slot);
  if (!leaves_something) remove_the_rest(actions, registry, restart, uninstaller);

  bool warn = not_removed[0] != '\0';
  copy_text(message, sizeof message, warn ? removed_except : removed);
  append_text(message, sizeof message, not_removed);
  if (leaves_something) append_text(message, sizeof message, still_listed);
  if (notes[0]) {
    append_text(message, sizeof message, "\n");
    append_text(message, sizeof message, notes);
  }
  actions.show_result(message, warn);
}

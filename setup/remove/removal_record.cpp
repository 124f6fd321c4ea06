#include "setup/remove/removal_record.h"

#include <cstring>

#include "common/version.h"
#include "setup/path_text.h"

namespace {

// The names of what an install makes; a recorded path ends in one of them.
constexpr const char* install_file_names[] = {"\\OrvAgent.exe", "\\Orvik.doc",       "\\Orvik.exe",
                                              "\\OrvSetup.exe", "\\OrvWinAgent.lnk", "\\Orvik.lnk"};
constexpr char command_tail[] = "\\Orvik.exe\" \"%1\"";
constexpr const char* edit_values[] = {"EditKey", "EditCommand", "EditBefore"};

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The agent folder an install makes: "X:\Program Files\Orvik".
bool is_agent_folder(const char* path) {
  return is_letter(path[0]) && path[1] == ':' &&
         equal_ignoring_case(path + 2, "\\Program Files\\Orvik");
}

bool is_drive_path(const char* path) {
  return is_letter(path[0]) && path[1] == ':' && path[2] == '\\';
}

bool is_install_file(const char* path) {
  if (!is_drive_path(path)) return false;
  for (const char* name : install_file_names)
    if (ends_with_ignoring_case(path, name)) return true;
  return false;
}

// As run_install writes it: "X:\...\Orvik.exe" "%1".
bool is_edit_command(const char* command) {
  return command[0] == '"' && is_drive_path(command + 1) &&
         ends_with_ignoring_case(command, command_tail);
}

bool is_edit_key(const char* key) {
  return strlen(key) > strlen(htm_edit_suffix) && ends_with_ignoring_case(key, htm_edit_suffix);
}

// "File1" .. "File16"
void file_value_name(char (&name)[8], int index) {
  copy_text(name, sizeof name, "File");
  append_number(name, sizeof name, uint32_t(index + 1));
}

value_kind read_entry(registry_store& registry, const char* name, char* out, size_t capacity) {
  return registry.read_value(local_machine, uninstall_key, name, out, capacity);
}

// The label of a damaged value: its text when it has one, else its name.
void report_damaged(damaged_item damaged, value_kind kind, const char* text, const char* name) {
  if (damaged) damaged(kind == value_unusable ? name : text);
}

void read_edit(registry_store& registry, htm_edit_item& edit, damaged_item damaged) {
  value_kind key = read_entry(registry, "EditKey", edit.key, sizeof edit.key);
  value_kind command = read_entry(registry, "EditCommand", edit.command, sizeof edit.command);
  edit.before_kind = read_entry(registry, "EditBefore", edit.before, sizeof edit.before);
  if (key == value_missing && command == value_missing && edit.before_kind == value_missing) return;
  if (key == value_text && is_edit_key(edit.key) && command == value_text &&
      is_edit_command(edit.command) && edit.before_kind != value_unusable)
    return;
  edit.key[0] = '\0';
  if (damaged) damaged(".htm Edit command");
}

bool write_entry(registry_store& registry, const char* name, const char* text,
                 value_kind kind = value_text) {
  return registry.write_value(local_machine, uninstall_key, name, text, kind);
}

}  // namespace

void clear_record(removal_record& record) {
  record.file_count = 0;
  record.agent_folder[0] = record.edit.key[0] = '\0';
  record.edit.before_kind = value_missing;
}

void read_record(registry_store& registry, removal_record& record, damaged_item damaged) {
  clear_record(record);
  char name[8], path[record_path_capacity];
  for (int i = 0; i < record_file_capacity; ++i) {
    file_value_name(name, i);
    value_kind kind = read_entry(registry, name, path, sizeof path);
    if (kind == value_text && is_install_file(path))
      add_record_file(record, path);
    else if (kind != value_missing)
      report_damaged(damaged, kind, path, name);
  }
  value_kind kind = read_entry(registry, "AgentFolder", path, sizeof path);
  if (kind == value_text && is_agent_folder(path))
    copy_text(record.agent_folder, sizeof path, path);
  else if (kind != value_missing)
    report_damaged(damaged, kind, path, "AgentFolder");
  read_edit(registry, record.edit, damaged);
}

bool add_record_file(removal_record& record, const char* path) {
  for (int i = 0; i < record.file_count; ++i)
    if (equal_ignoring_case(record.files[i], path)) return true;
  if (record.file_count == record_file_capacity) return false;
  if (!copy_text(record.files[record.file_count], record_path_capacity, path)) return false;
  ++record.file_count;
  return true;
}

bool merge_record(removal_record& record, const removal_record& made) {
  bool whole = true;
  for (int i = 0; i < made.file_count; ++i) whole = add_record_file(record, made.files[i]) && whole;
  if (made.agent_folder[0]) copy_text(record.agent_folder, record_path_capacity, made.agent_folder);
  const htm_edit_item& edit = made.edit;
  if (edit.key[0] == '\0') return whole;
  if (edit.before_kind == value_unusable) return false;
  // Replacing the recorded command again: the value from before the first
  // install is the one to bring back.
  bool replaced_ours = record.edit.key[0] && equal_ignoring_case(record.edit.key, edit.key) &&
                       edit.before_kind == value_text &&
                       strcmp(edit.before, record.edit.command) == 0;
  if (replaced_ours)
    copy_text(record.edit.command, edit_command_capacity, edit.command);
  else
    record.edit = edit;
  return whole;
}

bool write_record(registry_store& registry, const removal_record& record) {
  char command[record_path_capacity + 32];
  bool ok = copy_text(command, sizeof command, "\"") &&
            append_text(command, sizeof command, record.agent_folder) &&
            append_text(command, sizeof command, "\\OrvSetup.exe\" /uninstall") &&
            write_entry(registry, "DisplayName", "Orvik") &&
            write_entry(registry, "DisplayVersion", ORV_VERSION_TEXT) &&
            write_entry(registry, "UninstallString", command) &&
            write_entry(registry, "Publisher", ORV_COMPANY) &&
            write_entry(registry, "AgentFolder", record.agent_folder);
  char name[8];
  for (int i = 0; ok && i < record_file_capacity; ++i) {
    file_value_name(name, i);
    if (i < record.file_count)
      ok = write_entry(registry, name, record.files[i]);
    else
      registry.delete_value(local_machine, uninstall_key, name);  // usually not there
  }
  const htm_edit_item& edit = record.edit;
  if (!ok) return false;
  if (edit.key[0] == '\0') {
    for (const char* value : edit_values)
      registry.delete_value(local_machine, uninstall_key, value);
    return true;
  }
  if (edit.before_kind == value_missing)
    registry.delete_value(local_machine, uninstall_key, "EditBefore");
  return write_entry(registry, "EditKey", edit.key) &&
         write_entry(registry, "EditCommand", edit.command) &&
         (edit.before_kind == value_missing ||
          write_entry(registry, "EditBefore", edit.before, edit.before_kind));
}

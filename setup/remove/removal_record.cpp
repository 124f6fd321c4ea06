#include "setup/remove/removal_record.h"

#include <cstring>
#include <initializer_list>

#include "common/version.h"
#include "setup/install_dirs.h"
#include "setup/path_text.h"

namespace {

constexpr char command_tail[] = "\\Orvik.exe\" \"%1\"";
constexpr char lost_mark[] = "1";
enum edit_value { edit_key, edit_command, edit_before, edit_lost };
constexpr const char* edit_names[] = {"EditKey", "EditCommand", "EditBefore", "EditBeforeLost"};

using path_buffer = char[record_path_capacity];

// An agent folder an install makes: "\Orvik" where Windows keeps programs
// now, or the fixed folder on any drive, as earlier installs made it.
bool is_agent_folder(const char* path) {
  const char* in_program_files = find_program_files_agent_dir();
  return (is_drive_path(path) && equal_ignoring_case(path + 2, fixed_agent_folder)) ||
         (in_program_files[0] && equal_ignoring_case(path, in_program_files));
}

// The editor directory is the Windows directory or one below it.
bool is_editor_folder(const char* path) {
  size_t length = strlen(windows_dir);
  return is_drive_path(path) && length > 0 && same_text_ignoring_case(path, windows_dir, length) &&
         (path[length] == '\0' || (path[length] == '\\' && path[length + 1] != '\0'));
}

// In a place where an install puts it, under a name it gives it there.
bool is_install_file(const removal_record& record, const char* path) {
  char folder[record_path_capacity], fixed[dir_capacity];
  if (!is_drive_path(path) || !copy_text(folder, sizeof folder, path)) return false;
  char* cut = strrchr(folder, '\\');
  const char* name = path + (cut - folder);  // "\Orvik.exe"
  *cut = '\0';
  auto in = [&](const char* place, const char* a, const char* b = "", const char* c = "") {
    return place[0] && equal_ignoring_case(folder, place) &&
           (equal_ignoring_case(name, a) || equal_ignoring_case(name, b) ||
            equal_ignoring_case(name, c));
  };
  // Also the agent folder of an earlier install, which a later one may have
  // moved to where Windows keeps programs: its files are still the install's.
  if (is_agent_folder(folder) && in(folder, agent_file, manual_file, setup_file)) return true;
  bool recorded = false;
  for (const auto& editor : record.editor_folders) {
    recorded = recorded || editor[0];
    if (in(editor, editor_file, manual_file)) return true;
  }
  // The first installs of this version recorded no editor folder: theirs
  // was one an install can choose, at or under the Windows directory.
  if (!recorded && is_editor_folder(folder) && in(folder, editor_file, manual_file)) return true;
  for (shell_folder shell : {startup_folder, send_to_folder}) {
    const char* link = shell == startup_folder ? startup_link : send_to_link;
    if (in(find_shortcut_dir(shell), link) || (fixed_shortcut_dir(shell, fixed) && in(fixed, link)))
      return true;
  }
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

// "File1", "EditorFolder2", ...; Edit record 0 has no number.
void value_name(char (&name)[24], const char* base, int number) {
  copy_text(name, sizeof name, base);
  if (number > 0) append_number(name, sizeof name, uint32_t(number));
}

value_kind read_entry(registry_store& registry, const char* name, char* out, size_t capacity) {
  return registry.read_value(local_machine, uninstall_key, name, out, capacity);
}

bool write_entry(registry_store& registry, const char* name, const char* text,
                 value_kind kind = value_text) {
  return registry.write_value(local_machine, uninstall_key, name, text, kind);
}

// The label of a damaged value: its text when it has one, else its name.
void report_damaged(damaged_item damaged, value_kind kind, const char* text, const char* name) {
  if (damaged) damaged(kind == value_unusable || !text[0] ? name : text);
}

// Each numbered value of a kind into its slot when valid() takes it.
template <int count, typename Valid>
void read_slots(registry_store& registry, const char* base, path_buffer (&slots)[count],
                damaged_item damaged, Valid valid) {
  char name[24];
  for (int i = 0; i < count; ++i) {
    value_name(name, base, i + 1);
    value_kind kind = read_entry(registry, name, slots[i], record_path_capacity);
    if (kind == value_text && valid(slots[i])) continue;
    if (kind != value_missing) report_damaged(damaged, kind, slots[i], name);
    slots[i][0] = '\0';
  }
}

void read_edit(registry_store& registry, int slot, htm_edit_item& edit, damaged_item damaged) {
  char names[4][24], lost[4];
  for (int value = edit_key; value <= edit_lost; ++value)
    value_name(names[value], edit_names[value], slot);
  value_kind key = read_entry(registry, names[edit_key], edit.key, sizeof edit.key);
  value_kind command = read_entry(registry, names[edit_command], edit.command, sizeof edit.command);
  edit.before_kind = read_entry(registry, names[edit_before], edit.before, sizeof edit.before);
  value_kind lost_kind = read_entry(registry, names[edit_lost], lost, sizeof lost);
  if (key == value_missing && command == value_missing && edit.before_kind == value_missing &&
      lost_kind == value_missing)
    return;
  if (key == value_text && is_edit_key(edit.key) && command == value_text &&
      is_edit_command(edit.command) && edit.before_kind != value_unusable &&
      (lost_kind == value_missing || (lost_kind == value_text && edit.before_kind == value_missing &&
                                      strcmp(lost, lost_mark) == 0))) {
    if (lost_kind == value_text) edit.before_kind = value_unusable;
    return;
  }
  edit.key[0] = '\0';
  if (damaged) damaged(names[edit_key]);
}

template <int count>
bool add_unique(path_buffer (&slots)[count], const char* path) {
  path_buffer* free_slot = nullptr;
  for (auto& slot : slots) {
    if (slot[0] && equal_ignoring_case(slot, path)) return true;
    if (!slot[0] && !free_slot) free_slot = &slot;
  }
  return free_slot && copy_text(*free_slot, record_path_capacity, path);
}

// Writes each slot as its numbered value; an empty slot's value goes.
template <int count>
bool write_slots(registry_store& registry, const char* base, const path_buffer (&slots)[count]) {
  char name[24];
  for (int i = 0; i < count; ++i) {
    value_name(name, base, i + 1);
    if (slots[i][0] && !write_entry(registry, name, slots[i])) return false;
    if (!slots[i][0]) registry.delete_value(local_machine, uninstall_key, name);  // often absent
  }
  return true;
}

bool write_edit(registry_store& registry, int slot, const htm_edit_item& edit) {
  if (!edit.key[0]) {
    forget_record_edit(registry, slot);
    return true;
  }
  char names[4][24];
  for (int value = edit_key; value <= edit_lost; ++value)
    value_name(names[value], edit_names[value], slot);
  bool before = edit.before_kind == value_text || edit.before_kind == value_expandable_text;
  if (!before) registry.delete_value(local_machine, uninstall_key, names[edit_before]);
  if (edit.before_kind != value_unusable)
    registry.delete_value(local_machine, uninstall_key, names[edit_lost]);
  return write_entry(registry, names[edit_key], edit.key) &&
         write_entry(registry, names[edit_command], edit.command) &&
         (!before || write_entry(registry, names[edit_before], edit.before, edit.before_kind)) &&
         (edit.before_kind != value_unusable || write_entry(registry, names[edit_lost], lost_mark));
}

// The class's Edit record, else the first free numbered one; null when full.
htm_edit_item* edit_slot(removal_record& record, const char* key) {
  for (auto& at : record.edits)
    if (at.key[0] && equal_ignoring_case(at.key, key)) return &at;
  for (int i = 1; i < record_edit_capacity; ++i)
    if (!record.edits[i].key[0]) return &record.edits[i];
  return nullptr;
}

}  // namespace

void clear_record(removal_record& record) {
  for (auto& file : record.files) file[0] = '\0';
  for (auto& folder : record.editor_folders) folder[0] = '\0';
  record.agent_folder[0] = '\0';
  for (auto& edit : record.edits) edit.key[0] = '\0', edit.before_kind = value_missing;
}

void read_record(registry_store& registry, removal_record& record, damaged_item damaged) {
  clear_record(record);
  find_windows_dir();
  value_kind kind = read_entry(registry, "AgentFolder", record.agent_folder, record_path_capacity);
  if (kind != value_text || !is_agent_folder(record.agent_folder)) {
    if (kind != value_missing) report_damaged(damaged, kind, record.agent_folder, "AgentFolder");
    record.agent_folder[0] = '\0';
  }
  read_slots(registry, "EditorFolder", record.editor_folders, damaged, is_editor_folder);
  read_slots(registry, "File", record.files, damaged,
             [&](const char* path) { return is_install_file(record, path); });
  for (int slot = 0; slot < record_edit_capacity; ++slot)
    read_edit(registry, slot, record.edits[slot], damaged);
}

bool add_record_file(removal_record& record, const char* path) {
  return add_unique(record.files, path);
}

bool add_editor_folder(removal_record& record, const char* folder) {
  return add_unique(record.editor_folders, folder);
}

bool merge_record(removal_record& record, const removal_record& made) {
  bool whole = true;
  for (const auto& file : made.files) whole = (!file[0] || add_record_file(record, file)) && whole;
  for (const auto& folder : made.editor_folders)
    whole = (!folder[0] || add_editor_folder(record, folder)) && whole;
  if (made.agent_folder[0]) copy_text(record.agent_folder, record_path_capacity, made.agent_folder);
  for (const htm_edit_item& edit : made.edits) {
    if (!edit.key[0]) continue;
    htm_edit_item* slot = edit_slot(record, edit.key);
    if (!slot) {
      whole = false;
      continue;
    }
    // Replacing the recorded command again: the value from before the first
    // install is the one to bring back.
    if (slot->key[0] && edit.before_kind == value_text && strcmp(edit.before, slot->command) == 0)
      copy_text(slot->command, edit_command_capacity, edit.command);
    else
      *slot = edit;
  }
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
            write_entry(registry, "AgentFolder", record.agent_folder) &&
            write_slots(registry, "EditorFolder", record.editor_folders) &&
            write_slots(registry, "File", record.files);
  for (int slot = 0; ok && slot < record_edit_capacity; ++slot)
    ok = write_edit(registry, slot, record.edits[slot]);
  return ok;
}

void forget_record_file(registry_store& registry, int slot) {
  char name[24];
  value_name(name, "File", slot + 1);
  registry.delete_value(local_machine, uninstall_key, name);
}

void forget_record_edit(registry_store& registry, int slot) {
  char name[24];
  for (const char* base : edit_names) {
    value_name(name, base, slot);
    registry.delete_value(local_machine, uninstall_key, name);  // often absent
  }
}

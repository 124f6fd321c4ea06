#include "setup/htm_edit_command.h"

#include <cstring>

#include "setup/path_text.h"

namespace {

constexpr char command_suffix[] = "\\Command";

// Only a key with no value and no subkey goes: RegDeleteKey on Windows 95
// would take a whole tree with it.
bool delete_if_empty(registry_store& registry, const char* key) {
  key_content content = registry.key_state(classes_root, key);
  return content != key_empty || registry.delete_key(classes_root, key);
}

}  // namespace

bool set_htm_edit_command(registry_store& registry, const char* command, htm_edit_item& item) {
  char class_name[htm_class_capacity];
  if (registry.read_value(classes_root, ".htm", nullptr, class_name, sizeof class_name) !=
          value_text ||
      !htm_edit_key_path(class_name, item.key))
    return false;
  item.before_kind =
      registry.read_value(classes_root, item.key, nullptr, item.before, sizeof item.before);
  // An empty default value is what Windows 95 reports for a key without one.
  if (item.before_kind == value_text && item.before[0] == '\0') item.before_kind = value_missing;
  if (!copy_text(item.command, sizeof item.command, command) ||
      !registry.write_value(classes_root, item.key, nullptr, command, value_text)) {
    item.key[0] = '\0';
    return false;
  }
  return true;
}

edit_removal remove_htm_edit_command(registry_store& registry, const htm_edit_item& item) {
  char now[edit_command_capacity];
  if (registry.read_value(classes_root, item.key, nullptr, now, sizeof now) != value_text ||
      strcmp(now, item.command) != 0)
    return edit_not_ours;
  // A value before that could not be kept (value_unusable) is lost: the
  // install's command goes all the same.
  if (item.before_kind == value_text || item.before_kind == value_expandable_text)
    return registry.write_value(classes_root, item.key, nullptr, item.before, item.before_kind)
               ? edit_removed
               : edit_failed;
  // The Edit key is the Command key's parent: the same path without "\Command".
  char edit_key[htm_edit_key_capacity];
  copy_text(edit_key, sizeof edit_key, item.key);
  edit_key[strlen(edit_key) - (sizeof command_suffix - 1)] = '\0';
  return registry.delete_value(classes_root, item.key, nullptr) &&
                 delete_if_empty(registry, item.key) && delete_if_empty(registry, edit_key)
             ? edit_removed
             : edit_failed;
}

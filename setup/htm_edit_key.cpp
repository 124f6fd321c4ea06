#include "setup/htm_edit_key.h"

#include "setup/path_text.h"

bool htm_edit_key_path(const char* class_name, char (&key_path)[htm_edit_key_capacity]) {
  key_path[0] = '\0';
  if (class_name[0] == '\0') return false;
  return copy_text(key_path, htm_edit_key_capacity, class_name) &&
         append_text(key_path, htm_edit_key_capacity, htm_edit_suffix);
}

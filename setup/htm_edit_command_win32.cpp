// Makes a command the Edit verb of the file class that ".htm" belongs to.
#include <windows.h>

#include <cstring>

#include "setup/htm_edit_key.h"
#include "setup/setup_program.h"

void set_htm_edit_command(const char* command) {
  HKEY htm;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, ".htm", &htm) != ERROR_SUCCESS) return;
  char class_name[htm_class_capacity];
  LONG size = sizeof class_name;
  LONG read = RegQueryValueA(htm, nullptr, class_name, &size);
  RegCloseKey(htm);
  if (read != ERROR_SUCCESS) return;  // also a class name that does not fit
  // The stored value need not carry its terminator; one that fills the
  // buffer without it does not fit.
  if (size <= 0 || size > LONG(sizeof class_name)) return;
  if (class_name[size - 1] != '\0') {
    if (size == LONG(sizeof class_name)) return;
    class_name[size] = '\0';
  }

  char key_path[htm_edit_key_capacity];
  if (!htm_edit_key_path(class_name, key_path)) return;
  HKEY edit;
  if (RegCreateKeyA(HKEY_CLASSES_ROOT, key_path, &edit) != ERROR_SUCCESS) return;
  RegSetValueA(edit, nullptr, REG_SZ, command, static_cast<DWORD>(strlen(command)));
  RegCloseKey(edit);
}

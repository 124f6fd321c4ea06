// The installer's registry calls on Win32, all of them on Windows 95.
#include <windows.h>

#include <cstring>

#include "setup/registry_store.h"

namespace {

HKEY root_key(registry_root root) {
  return root == classes_root ? HKEY_CLASSES_ROOT : HKEY_LOCAL_MACHINE;
}

class system_registry_store final : public registry_store {
 public:
  value_kind read_value(registry_root root, const char* key, const char* name, char* out,
                        size_t capacity) override {
    out[0] = '\0';
    HKEY opened;
    LONG result = RegOpenKeyExA(root_key(root), key, 0, KEY_QUERY_VALUE, &opened);
    if (result != ERROR_SUCCESS)
      return result == ERROR_FILE_NOT_FOUND ? value_missing : value_unusable;
    DWORD type = REG_NONE, size = DWORD(capacity);
    result = RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(out), &size);
    RegCloseKey(opened);
    if (result == ERROR_FILE_NOT_FOUND) return value_missing;
    // A stored text need not carry its terminator; one that fills the
    // buffer without it does not fit (ERROR_MORE_DATA: not at all).
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) ||
        (size > 0 && out[size - 1] != '\0' && size >= capacity)) {
      out[0] = '\0';
      return value_unusable;
    }
    out[size > 0 && out[size - 1] == '\0' ? size - 1 : size] = '\0';
    return type == REG_SZ ? value_text : value_expandable_text;
  }

  bool write_value(registry_root root, const char* key, const char* name, const char* text,
                   value_kind kind) override {
    HKEY created;
    DWORD disposition;
    if (RegCreateKeyExA(root_key(root), key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &created, &disposition) != ERROR_SUCCESS)
      return false;
    LONG result =
        RegSetValueExA(created, name, 0, kind == value_expandable_text ? REG_EXPAND_SZ : REG_SZ,
                       reinterpret_cast<const BYTE*>(text), DWORD(strlen(text) + 1));
    RegCloseKey(created);
    return result == ERROR_SUCCESS;
  }

  bool delete_value(registry_root root, const char* key, const char* name) override {
    HKEY opened;
    if (RegOpenKeyExA(root_key(root), key, 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS)
      return false;
    LONG result = RegDeleteValueA(opened, name ? name : "");  // "": the default value
    RegCloseKey(opened);
    return result == ERROR_SUCCESS;
  }

  size_t read_lines(const char* key, const char* name, char* out, size_t capacity) override {
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
      return 0;
    DWORD type = REG_NONE, size = DWORD(capacity - 2);
    LONG result = RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(out), &size);
    RegCloseKey(opened);
    if (result != ERROR_SUCCESS || type != REG_MULTI_SZ) return 0;
    out[size] = out[size + 1] = '\0';  // as other programs wrote it: its own may be missing
    return size;
  }

  bool write_lines(const char* key, const char* name, const char* lines, size_t length) override {
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS)
      return false;
    LONG result = RegSetValueExA(opened, name, 0, REG_MULTI_SZ,
                                 reinterpret_cast<const BYTE*>(lines), DWORD(length + 1));
    RegCloseKey(opened);
    return result == ERROR_SUCCESS;
  }

  key_content key_state(registry_root root, const char* key) override {
    HKEY opened;
    LONG result = RegOpenKeyExA(root_key(root), key, 0, KEY_READ, &opened);
    if (result != ERROR_SUCCESS)
      return result == ERROR_FILE_NOT_FOUND ? key_missing : key_holds_something;
    char name[MAX_PATH];
    DWORD size = sizeof name;
    bool empty = RegEnumKeyA(opened, 0, name, sizeof name) == ERROR_NO_MORE_ITEMS &&
                 RegEnumValueA(opened, 0, name, &size, nullptr, nullptr, nullptr, nullptr) ==
                     ERROR_NO_MORE_ITEMS;
    RegCloseKey(opened);
    return empty ? key_empty : key_holds_something;
  }

  bool delete_key(registry_root root, const char* key) override {
    return RegDeleteKeyA(root_key(root), key) == ERROR_SUCCESS;
  }
};

system_registry_store registry;

}  // namespace

registry_store& system_registry() { return registry; }

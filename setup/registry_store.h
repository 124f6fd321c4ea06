// The registry as the installer uses it: text values of keys under
// HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE, and keys removed once empty.
// registry_store_win32.cpp calls Windows; unit tests keep keys in a map.
#pragma once
#include <cstddef>

enum registry_root { classes_root, local_machine };

// value_unusable: a value of another type, one that does not fit the
// buffer, or one that cannot be read; its text is never used.
enum value_kind { value_missing, value_text, value_expandable_text, value_unusable };

enum key_content { key_missing, key_empty, key_holds_something };

class registry_store {
 public:
  // name null: the key's default value. out holds the terminated text for
  // the two text kinds and is empty otherwise.
  virtual value_kind read_value(registry_root root, const char* key, const char* name, char* out,
                                size_t capacity) = 0;
  // Creates the key when needed; kind is value_text or value_expandable_text.
  virtual bool write_value(registry_root root, const char* key, const char* name, const char* text,
                           value_kind kind) = 0;
  virtual bool delete_value(registry_root root, const char* key, const char* name) = 0;
  // A list of texts (REG_MULTI_SZ) under HKEY_LOCAL_MACHINE, each ended by a NUL; an empty
  // text may stand among them. Read returns the bytes of the value as stored, with two NULs
  // more after them in out; 0 when there is none or it does not fit (capacity - 2 or more).
  // Write stores length bytes and one NUL more that closes the list.
  virtual size_t read_lines(const char* key, const char* name, char* out, size_t capacity) = 0;
  virtual bool write_lines(const char* key, const char* name, const char* lines, size_t length) = 0;
  // A key that cannot be looked into holds something: it is never deleted.
  virtual key_content key_state(registry_root root, const char* key) = 0;
  virtual bool delete_key(registry_root root, const char* key) = 0;

 protected:
  ~registry_store() = default;
};

registry_store& system_registry();  // registry_store_win32.cpp

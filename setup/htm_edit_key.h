// The registry key that holds the Edit command of the ".htm" file class:
// the class name (the default value of ".htm", read into 128 bytes)
// followed by "\shell\Edit\Command".
#pragma once
#include <cstddef>

constexpr size_t htm_class_capacity = 128;
constexpr char htm_edit_suffix[] = "\\shell\\Edit\\Command";
constexpr size_t htm_edit_key_capacity = htm_class_capacity - 1 + sizeof htm_edit_suffix;

// False when the class name is empty: the path would start at the root of
// HKEY_CLASSES_ROOT and the command would land in a key of no file class.
bool htm_edit_key_path(const char* class_name, char (&key_path)[htm_edit_key_capacity]);

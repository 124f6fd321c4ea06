// What the installs made, recorded so that the removal takes away exactly
// that, whatever PATH, TMP or the Windows directory hold later. The record
// is kept as values of the removal entry (uninstall_key under
// HKEY_LOCAL_MACHINE), beside the DisplayName, DisplayVersion,
// UninstallString and Publisher that Windows lists:
//   File1 .. File16           REG_SZ  a file or shortcut an install made, full path
//   AgentFolder               REG_SZ  the agent folder, removed when empty
//   EditorFolder1 .. 4        REG_SZ  a folder an install put the editor in
//   EditKey1 .. 4             REG_SZ  a .htm class's Edit command key under HKEY_CLASSES_ROOT
//   EditCommand1 .. 4         REG_SZ  the command the install wrote there
//   EditBefore1 .. 4          REG_SZ or REG_EXPAND_SZ  the value it replaced; absent: none
//   EditBeforeLost1 .. 4      REG_SZ  "1": the value it replaced could not be kept
// Edit record 0 (EditKey, EditCommand, EditBefore, without a number) is
// the one record the first installs of this version kept; it is read and
// kept as it is.
// An item is read back only when it is provably the install's; any other
// is damaged, reported and never acted on: a removal leaves it in the entry
// as it is, an install's record drops it.
// Items live in slots: slot i of a kind is the value numbered i + 1 (for
// the Edit records, i), so that the removal can forget each one it took away.
#pragma once

#include "setup/htm_edit_key.h"
#include "setup/registry_store.h"

constexpr char uninstall_key[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvik";
constexpr int record_file_capacity = 16;
constexpr int record_folder_capacity = 4;
constexpr int record_edit_capacity = 5;  // slot 0 and four numbered ones
constexpr size_t record_path_capacity = 256;
constexpr size_t edit_command_capacity = 256;
constexpr size_t edit_before_capacity = 1024;

struct htm_edit_item {
  char key[htm_edit_key_capacity];  // empty: none recorded
  char command[edit_command_capacity];
  value_kind before_kind;  // value_missing: there was none; value_unusable: not kept (lost)
  char before[edit_before_capacity];
};

struct removal_record {
  char files[record_file_capacity][record_path_capacity];             // empty: none
  char editor_folders[record_folder_capacity][record_path_capacity];  // empty: none
  char agent_folder[record_path_capacity];                             // empty: none
  htm_edit_item edits[record_edit_capacity];
};

void clear_record(removal_record& record);

// Reads the record from the entry. Each damaged item is named to damaged
// (may be null): its text when it is one, else its value's name. The agent
// folder is the install's only as one an install makes ("\Orvik" where
// Windows keeps programs now, or the fixed one). A file is the install's
// only as one of the names an install makes in such an agent folder, a
// recorded editor folder, or the StartUp or Send To folder (the shell's or
// the fixed one), with no "." or ".." in its path; an editor folder only
// at or under the Windows directory.
using damaged_item = void (*)(const char* label);
void read_record(registry_store& registry, removal_record& record, damaged_item damaged);

// False when the record is full or the path does not fit; a path it has
// (compared without case) is not added again.
bool add_record_file(removal_record& record, const char* path);
bool add_editor_folder(removal_record& record, const char* folder);

// Adds what this run made to the record read from the entry: the files and
// editor folders joined, this run's agent folder, and this run's Edit
// command: for a class already recorded, the value before stays the
// recorded one while this run replaced the recorded command. False when
// something did not fit.
bool merge_record(removal_record& record, const removal_record& made);

// Writes the entry whole; false when any value could not be written.
bool write_record(registry_store& registry, const removal_record& record);

// The removal took the item away: its values go from the entry, which stays
// because something else could not be removed.
void forget_record_file(registry_store& registry, int slot);
void forget_record_edit(registry_store& registry, int slot);

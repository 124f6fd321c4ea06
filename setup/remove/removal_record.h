// What an install made, recorded so that the removal takes away exactly
// that, whatever PATH, TMP or the Windows directory hold later. The record
// is kept as values of the removal entry (uninstall_key under
// HKEY_LOCAL_MACHINE), beside the DisplayName, DisplayVersion, UninstallString
// and Publisher that Windows lists:
//   File1 .. File16  REG_SZ  a file or shortcut the install made, full path
//   AgentFolder      REG_SZ  the agent folder, removed when empty
//   EditKey          REG_SZ  the .htm Edit command's key under HKEY_CLASSES_ROOT
//   EditCommand      REG_SZ  the command the install wrote there
//   EditBefore       REG_SZ or REG_EXPAND_SZ  the value it replaced; absent: there was none
// An item is read back only when it is provably the install's; any other
// is damaged, reported and never acted on.
#pragma once

#include "setup/htm_edit_key.h"
#include "setup/registry_store.h"

constexpr char uninstall_key[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvik";
constexpr int record_file_capacity = 16;
constexpr size_t record_path_capacity = 256;
constexpr size_t edit_command_capacity = 256;
constexpr size_t edit_before_capacity = 1024;

struct htm_edit_item {
  char key[htm_edit_key_capacity];  // empty: none recorded
  char command[edit_command_capacity];
  value_kind before_kind;  // value_missing: there was none; value_unusable: not kept
  char before[edit_before_capacity];
};

struct removal_record {
  int file_count;
  char files[record_file_capacity][record_path_capacity];
  char agent_folder[record_path_capacity];  // empty: none
  htm_edit_item edit;
};

void clear_record(removal_record& record);

// Reads the record from the entry. Each damaged item is named to damaged
// (may be null): its text when it is one, else its value's name.
using damaged_item = void (*)(const char* label);
void read_record(registry_store& registry, removal_record& record, damaged_item damaged);

// False when the record is full or the path does not fit; a file it has
// (compared without case) is not added again.
bool add_record_file(removal_record& record, const char* path);

// Adds what this run made to the record read from the entry: the files
// joined, this run's agent folder, and this run's Edit command, whose
// value before stays the recorded one when it replaced the recorded
// command. False when something was refused: a file beyond the capacity,
// or an Edit command whose earlier value could not be kept.
bool merge_record(removal_record& record, const removal_record& made);

// Writes the entry whole; false when any value could not be written.
bool write_record(registry_store& registry, const removal_record& record);


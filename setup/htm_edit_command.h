// The Edit command of the file class that ".htm" belongs to: made by the
// install, which notes the value it replaces, and taken back by the
// removal only while it is still the install's.
#pragma once

#include "setup/remove/removal_record.h"

// True when written; item then holds the key, the command and the value
// before (value_unusable when it could not be kept: another type, or too long).
bool set_htm_edit_command(registry_store& registry, const char* command, htm_edit_item& item);

enum edit_removal {
  edit_removed,   // the value before is back, or the install's value and its empty keys are gone
                  // (also when the value before was not kept)
  edit_not_ours,  // since changed or removed by someone else: left as it is
  edit_failed,    // it stays, or empty keys were left
};

edit_removal remove_htm_edit_command(registry_store& registry, const htm_edit_item& item);

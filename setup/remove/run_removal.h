// OrvSetup /uninstall: takes away what the record of the removal entry
// names, after one question. In order: running agents stopped (their file
// must be free), the recorded files and shortcuts deleted, the .htm Edit
// command given back when it is still the install's, the agent folder
// removed when empty, the installer's own copy (which cannot delete itself)
// deleted when Windows restarts, the entry deleted. Items of the record
// that are not provably the install's are left alone. One message at the
// end says what was not removed and why.
#pragma once

#include "setup/registry_store.h"
#include "setup/remove/remove_actions.h"

// The command line that asks for the removal: "/uninstall", in any case,
// with blanks around it. Any other opens the install dialog.
bool is_remove_command(const char* command_line);

void run_removal(remove_actions& actions, registry_store& registry);

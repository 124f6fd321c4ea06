// OrvSetup /uninstall: takes away what the record of the removal entry
// names, after one question. In order: running agents stopped (their file
// must be free), the recorded files and shortcuts deleted (one in use goes
// when Windows restarts), each .htm Edit command given back while it is
// still the install's. When all of that is gone, the installer's copy in
// the agent folder goes too (when Windows restarts, if it is the one
// running), the folder when empty, and the entry. When anything stays (a
// file denied or read-only, an Edit command that can't be given back, an
// item of the record that is not provably the install's, which is left
// alone), the entry stays with only what is left, and the installer's copy
// with it, so that removing Orvik again can finish the job. One message at
// the end says what was not removed and why.
#pragma once

#include "setup/registry_store.h"
#include "setup/remove/remove_actions.h"
#include "setup/remove/restart_delete.h"

// The command line that asks for the removal: "/uninstall", in any case,
// with blanks around it. Any other opens the install dialog.
bool is_remove_command(const char* command_line);

void run_removal(remove_actions& actions, registry_store& registry, restart_os& restart);

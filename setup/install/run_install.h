// The install run behind the dialog's OK: the agent side (manual and agent
// into the agent directory, running agents stopped, the new one started,
// its StartUp shortcut), then the editor side (editor, manual when the
// agent is not installed, Send To shortcut, .htm Edit command), then the
// removal entry for what it made. Failures are reported through the
// actions and the run goes on, except that a failed editor copy ends the
// editor side.
#pragma once

#include "setup/install/install_actions.h"
#include "setup/install/install_options.h"
#include "setup/registry_store.h"
#include "setup/remove/restart_delete.h"

// Expects find_editor_dir to have run (the dialog's start does it). What it
// puts in place is kept from a deletion at restart that a removal left.
void run_install(const option_flags& options, install_actions& actions, registry_store& registry,
                 restart_os& restart);

// The agent's destination path of the last run, empty unless it was copied.
extern char agent_path[256];

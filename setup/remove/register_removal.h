// The end of an install run that put anything in place: the installer
// copies itself into the agent folder (created even when the agent is not
// installed), so that the removal still runs once the folder it was
// installed from is gone, and the removal entry is written with the record
// of this run joined to the one already there. A failure of either is one
// message; the install stands.
#pragma once

#include "setup/install/install_actions.h"
#include "setup/remove/removal_record.h"
#include "setup/remove/restart_delete.h"

// What this run made; run_install fills it.
extern removal_record made_by_install;

void register_removal(install_actions& actions, registry_store& registry, restart_os& restart);

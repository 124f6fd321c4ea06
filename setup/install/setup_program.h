// The Windows side of the installer, declared without Windows types: the
// dialog, the actions that carry out an install, and the action that needs
// more than one call (a shell link).
#pragma once

#include "setup/install/install_actions.h"

// Shows the install dialog (template 101) modally with no owner.
void show_install_dialog(void* instance);

install_actions& system_install_actions();

// Returns the HRESULT of the last COM step made; icon may be null.
long create_shortcut(const char* target, const char* link, const char* description,
                     const char* icon);

// Deleting a file when Windows next starts, the documented ways: on Windows
// NT, MoveFileEx's delayed delete; on Windows 95 and 98, a line
// "NUL=<short path>" in the [rename] section of WININIT.INI in the Windows
// directory, added to the lines other programs left there (the section is
// read and written back whole: WritePrivateProfileString would replace
// another program's NUL= line).
#pragma once

#include "setup/remove/remove_actions.h"

// True when the deletion is scheduled.
bool delete_at_restart(remove_actions& actions, const char* path);

// Deleting a file when Windows next starts, the documented ways: on Windows
// NT, MoveFileEx's delayed delete; on Windows 95 and 98, a line
// "NUL=<short path>" in the [rename] section of WININIT.INI in the Windows
// directory, added to the lines other programs left there (the section is
// read and written back whole: WritePrivateProfileString would replace
// another program's NUL= line).
#pragma once
#include <cstdint>

#include "setup/remove_actions.h"

constexpr uint32_t profile_section_capacity = 32768;  // the most Windows 95 returns

// True when the deletion is scheduled.
bool delete_at_restart(remove_actions& actions, const char* path);

// Adds line to a section held as the profile calls pass it (length: the
// characters before the final NUL). A line already there (compared without
// case) is not added again; false, the section unchanged, when it would not fit.
bool add_section_line(char* section, uint32_t length, uint32_t capacity, const char* line);

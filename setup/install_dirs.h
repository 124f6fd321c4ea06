// Where the installer puts things: the editor directory (the Windows
// directory's "\command" if PATH names it, else the first PATH entry under
// the Windows directory but not under the system directory, else the
// Windows directory) and the agent directory ("\Orvik" in the folder where
// Windows keeps programs, else "X:\Program Files\Orvik" on the Windows
// directory's drive). Nothing is cached: each find_editor_dir reads the
// settings again; find_agent_dir reads where Windows keeps programs again
// and takes the drive from the windows_dir that the last find_editor_dir
// left. The removal reads the Windows directory, where Windows keeps
// programs and this program's path alone.
#pragma once
#include <cstddef>

#include "setup/windows_settings.h"

constexpr size_t dir_capacity = 256;        // terminator included
constexpr size_t path_copy_capacity = 32768;  // an environment value has at most 32767 characters

extern char windows_dir[dir_capacity];
extern char system_dir[dir_capacity];
extern char editor_dir[dir_capacity];
extern char agent_dir[dir_capacity];
extern char module_path[dir_capacity];

// Returns editor_dir; empty only when the Windows directory cannot be read.
const char* find_editor_dir();

// Tests one PATH entry and may replace editor_dir.
void consider_path_entry(const char* entry);

// Returns agent_dir: find_program_files_agent_dir's folder, else the
// fixed one (on an English Windows the two are the same). Empty when
// windows_dir has no drive letter, whatever the registry names.
const char* find_agent_dir();

// The names of what an install makes, each appended to its folder.
constexpr char agent_file[] = "\\OrvAgent.exe", manual_file[] = "\\Orvik.doc",
               editor_file[] = "\\Orvik.exe", setup_file[] = "\\OrvSetup.exe",
               startup_link[] = "\\OrvWinAgent.lnk", send_to_link[] = "\\Orvik.lnk";
// The agent folder in the folder where Windows keeps programs, and the
// fixed one after a drive letter and colon.
constexpr char agent_folder_name[] = "\\Orvik", fixed_agent_folder[] = "\\Program Files\\Orvik";

// "\Orvik" in the folder where Windows keeps programs (ProgramFilesDir:
// "C:\Programme" on a German Windows), read afresh. Since every program may
// write that value on Windows 95 and 98, it counts only as an existing
// folder on a drive (one final backslash dropped), in one spelling (see
// is_drive_folder), where each file an install puts in the agent folder
// fits a path buffer. Empty otherwise.
const char* find_program_files_agent_dir();

// The StartUp or Send To folder: where the shell keeps it, else (the shell
// names none) the fixed one. Empty when neither fits.
const char* find_shortcut_dir(shell_folder folder);
// Where an English Windows 95 without user profiles has the folder, under
// the Windows directory that the last find_editor_dir or find_windows_dir
// read; false, out empty, when it does not fit.
bool fixed_shortcut_dir(shell_folder folder, char (&out)[dir_capacity]);

// Each reads its buffer afresh; a path that does not fit is read as empty.
const char* find_windows_dir();
const char* find_module_path();  // this program's file

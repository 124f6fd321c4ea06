// The Windows settings that directory discovery and the removal read. Each
// call behaves as the Win32 call that it stands for: it returns the length
// copied without the terminator, or, when the buffer is too small, the size
// needed with the terminator (read_module_path: the buffer's size; the
// buffer's contents are then undefined); 0 when there is nothing to read.
// windows_settings_win32.cpp implements them.
#pragma once
#include <cstdint>

uint32_t read_windows_directory(char* buffer, uint32_t size);
uint32_t read_system_directory(char* buffer, uint32_t size);
uint32_t read_environment_variable(const char* name, char* buffer, uint32_t size);
uint32_t read_module_path(char* buffer, uint32_t size);  // this program's file

// The folders the shell keeps for the user (localized, or in the user's
// profile): 0 when it names none.
enum shell_folder { startup_folder, send_to_folder };
uint32_t read_shell_folder(shell_folder folder, char* buffer, uint32_t size);

// ProgramFilesDir of HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion,
// the folder where Windows keeps programs; 0 also when it is not a plain
// text (REG_SZ) or does not fit.
uint32_t read_program_files_dir(char* buffer, uint32_t size);
bool directory_exists(const char* path);

bool windows_is_nt();  // false on Windows 95 and 98

// Path rules of the file-open dialog: where it starts, which name it
// proposes, and how the chosen file is reported (short directory, long name).
#pragma once
#include <cstdint>

constexpr uint32_t dialog_buffer_size = 256;  // initial_dir, file_buffer, file_title
constexpr uint32_t short_path_size = 128;

// The text after the last colon or backslash, or the whole path.
const char* file_name_part(const char* path);

// Initial directory for path into out (dialog_buffer_size bytes): the text
// before its last backslash; without one, the drive root of the Windows
// directory, "c:\" when that cannot be read, or empty when it is not on a
// drive (a network path) so that the dialog picks the folder.
void initial_directory(const char* path, char* out);

// Initial file name for path into out (dialog_buffer_size bytes).
void initial_file_name(const char* path, char* out);

// Composes the reported path from the dialog's full path and its short form:
// the short directory, a backslash unless it ends with one, and the long
// file name. Returns the short directory's length, or -1 when the short form
// has no directory or the result does not fit out (capacity bytes).
int compose_chosen_path(const char* full_path, const char* short_path, char* out, uint32_t capacity);

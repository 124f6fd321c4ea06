// The file-open dialog service. Request 9 shows the dialog over the editor's
// console window (reply 10 first, or 99 when that window is not found);
// request 11 reports its state and, once a file is chosen, its path as a
// short directory with the long file name (reply 12).
#pragma once
#include <cstdint>

#include "dialog_format.h"

void handle_file_dialog_request(uint8_t* block, uint32_t size);
void handle_dialog_result_request(uint8_t* block, uint32_t size);

// Sets the dialog's initial directory and file name from a path.
void split_initial_path(const char* path);

// For tests: the state as it stands, and a reset to the state at agent start.
uint8_t file_dialog_state();
uint32_t file_dialog_filter_index();
void file_dialog_reset();

// The help launcher: request 13 opens "quorvane.hlp", which lies beside the
// agent program, in the Help viewer. Reply 14 goes out first.
#pragma once
#include <cstdint>

constexpr uint32_t help_path_size = 260;  // MAX_PATH

void handle_help_request(uint8_t* block, uint32_t size);

// Fills help_path from the program's path by putting the help file's name in
// place of the program's. False, with help_path empty, when it does not fit.
bool build_help_path(const char* program_path);
const char* current_help_path();

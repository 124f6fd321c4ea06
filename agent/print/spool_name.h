// Spool file names (request code 3): a fresh name in the temporary
// directory that no file had when it was chosen.
#pragma once
#include <cstdint>

constexpr const char* spool_dir_default = "c:\\tmp";
constexpr const char* spool_prefix = "orv";
constexpr uint32_t spool_longest_name = 260;
constexpr uint32_t spool_name_capacity = spool_longest_name + 1;
constexpr uint32_t spool_attempts = 32767;

// The number last tried and the prefix length of the previous call; they
// live as long as the agent, so names keep rising during a run.
extern uint32_t spool_counter;
extern uint32_t spool_prefix_length;

// Writes a fresh name into out (spool_name_capacity bytes). False when none
// can be made: the name would be too long, or every number tried is taken.
bool make_spool_name(const char* directory, const char* prefix, char* out);

// Service of code 3: answers 4 with the name, or nothing without one.
void spool_name_request(uint8_t* block, uint32_t size);

// Back to the state at program start; for tests only.
void spool_reset();

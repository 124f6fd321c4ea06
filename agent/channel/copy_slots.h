// Bookkeeping of a private request copy: its own memory handle and, for a
// print job, the job's device context and file handle. Where handles are 32
// bits wide the three slots are the copy's agent_scratch (bytes 14-25), so
// the copy's address alone is enough to find and free it. Wider handles do
// not fit there; such a build keeps the slots in a small area allocated in
// front of the copy instead.
#pragma once
#include <cstdint>
#include <cstring>

#include "exchange_block.h"

enum copy_slot { slot_memory = 0, slot_job_dc = 1, slot_job_file = 2 };

constexpr bool slots_in_scratch = sizeof(void*) == 4;
constexpr uint32_t copy_prefix_size = slots_in_scratch ? 0 : 32;

inline uint8_t* slot_address(uint8_t* block, copy_slot slot) {
  if (slots_in_scratch) return block + off_agent_scratch + 4 * slot;
  return block - copy_prefix_size + sizeof(void*) * slot;
}

inline void* slot_get(uint8_t* block, copy_slot slot) {
  void* value;
  memcpy(&value, slot_address(block, slot), sizeof value);
  return value;
}

inline void slot_set(uint8_t* block, copy_slot slot, void* value) {
  memcpy(slot_address(block, slot), &value, sizeof value);
}

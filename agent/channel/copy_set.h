// The private copies that the agent's own messages carry, by address. Any
// program can post to the agent's window, so the lParam of WM_AGENT_REQUEST
// or WM_AGENT_PRINT is acted on only when it names a copy entered here and
// not yet taken out; anything else is ignored without being touched.
#pragma once
#include <cstdint>

template <int capacity>
struct copy_set {
  uint8_t* copies[capacity];
  int count;

  // False when the set is full: the copy then cannot be sent on.
  bool add(uint8_t* copy) {
    if (count == capacity) return false;
    copies[count++] = copy;
    return true;
  }
  // True, and out of the set, when the copy was in it.
  bool take(const uint8_t* copy) {
    for (int i = 0; i < count; i++) {
      if (copies[i] != copy) continue;
      copies[i] = copies[--count];
      return true;
    }
    return false;
  }
};

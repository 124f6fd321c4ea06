#include "common/decimal_text.h"

uint32_t decimal_text(uintptr_t value, char* out) {
  char reversed[20];
  uint32_t count = 0;
  do {
    reversed[count++] = char('0' + value % 10);
    value /= 10;
  } while (value);
  for (uint32_t i = 0; i < count; ++i) out[i] = reversed[count - 1 - i];
  out[count] = '\0';
  return count;
}

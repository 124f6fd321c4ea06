// Decimal digits without the C library, for the programs that link none.
#pragma once
#include <cstdint>

// Writes value's decimal digits into out, terminated, and returns their
// count: out needs count + 1 bytes, at most 11 for a 32-bit value and 21
// for a 64-bit one.
uint32_t decimal_text(uintptr_t value, char* out);

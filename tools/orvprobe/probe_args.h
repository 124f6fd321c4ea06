// Command-line options of orvprobe and orvdesk: a command word, "--name value"
// pairs, flags (options that take no value) and positional words, kept as
// pointers into argv.
#pragma once
#include <cstdint>

constexpr int max_options = 48;
constexpr int max_positional = 8;

struct probe_args {
  const char* command = nullptr;
  const char* positional[max_positional];
  int positional_count = 0;
  const char* names[max_options];
  const char* values[max_options];  // "" for a flag
  int option_count = 0;
  const char* error = nullptr;  // what is wrong with error_word, the word at fault
  const char* error_word = nullptr;

  bool has(const char* name) const { return find(name, option_count) >= 0; }
  // The value given last, or fallback.
  const char* get(const char* name, const char* fallback = "") const;
  // Decimal, 0x-hex or negative; false when absent or not a number.
  bool number(const char* name, int64_t& out) const;
  // --timeout in milliseconds, else fallback.
  uint32_t timeout(uint32_t fallback) const;
  // The option before index `before` with that name, searching backwards; -1 when none.
  int find(const char* name, int before) const;
};

// flags: the names of options that take no value, ending with a null.
void parse_probe_args(int argc, char** argv, const char* const* flags, probe_args& out);

bool parse_number(const char* text, int64_t& out);
// "55 66 77 88", "55:66" or "55667788" -> bytes; false on an odd digit,
// anything else, or more than capacity bytes.
bool parse_hex(const char* text, uint8_t* out, uint32_t capacity, uint32_t& count);
bool same_text(const char* a, const char* b);

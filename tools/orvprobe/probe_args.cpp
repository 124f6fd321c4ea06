#include "tools/orvprobe/probe_args.h"

bool same_text(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

int probe_args::find(const char* name, int before) const {
  for (int i = before - 1; i >= 0; --i)
    if (same_text(names[i], name)) return i;
  return -1;
}

const char* probe_args::get(const char* name, const char* fallback) const {
  int at = find(name, option_count);
  return at < 0 ? fallback : values[at];
}

bool probe_args::number(const char* name, int64_t& out) const {
  int at = find(name, option_count);
  return at >= 0 && parse_number(values[at], out);
}

uint32_t probe_args::timeout(uint32_t fallback) const {
  int64_t ms;
  return number("timeout", ms) && ms >= 0 && ms <= 0x7FFFFFFF ? uint32_t(ms) : fallback;
}

void parse_probe_args(int argc, char** argv, const char* const* flags, probe_args& out) {
  out = probe_args{};
  for (int i = 1; i < argc; i++) {
    const char* word = argv[i];
    if (word[0] == '-' && word[1] == '-' && word[2]) {
      bool flag = false;
      for (const char* const* f = flags; *f; ++f) flag = flag || same_text(*f, word + 2);
      if (out.option_count == max_options) {
        out.error = "one option too many";
        out.error_word = word;
        return;
      }
      if (!flag && i + 1 >= argc) {
        out.error = "needs a value";
        out.error_word = word;
        return;
      }
      out.names[out.option_count] = word + 2;
      out.values[out.option_count++] = flag ? "" : argv[++i];
    } else if (!out.command) {
      out.command = word;
    } else if (out.positional_count < max_positional) {
      out.positional[out.positional_count++] = word;
    } else {
      out.error = "one argument too many";
      out.error_word = word;
      return;
    }
  }
}

namespace {

int digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

}  // namespace

bool parse_number(const char* text, int64_t& out) {
  bool negative = *text == '-';
  if (negative) ++text;
  int base = 10;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text += 2;
  }
  if (!*text) return false;
  uint64_t value = 0;
  for (; *text; ++text) {
    int d = digit_value(*text);
    if (d >= base || value > (uint64_t(1) << 56)) return false;  // garbage, or far too big
    value = value * uint64_t(base) + uint64_t(d);
  }
  out = negative ? -int64_t(value) : int64_t(value);
  return true;
}

bool parse_hex(const char* text, uint8_t* out, uint32_t capacity, uint32_t& count) {
  count = 0;
  int high = -1;
  for (; *text; ++text) {
    if (*text == ' ' || *text == ':' || *text == ',') continue;
    int d = digit_value(*text);
    if (d > 15) return false;
    if (high < 0) {
      high = d;
    } else {
      if (count == capacity) return false;
      out[count++] = uint8_t(high * 16 + d);
      high = -1;
    }
  }
  return high < 0;
}

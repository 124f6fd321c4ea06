#include "tools/orvprobe/probe_args.h"

#include <algorithm>
#include <cstdlib>

bool probe_args::has(const std::string& name) const {
  return std::any_of(options.begin(), options.end(), [&](auto& o) { return o.first == name; });
}

std::string probe_args::get(const std::string& name, const std::string& fallback) const {
  for (auto it = options.rbegin(); it != options.rend(); ++it)
    if (it->first == name) return it->second;
  return fallback;
}

std::vector<std::string> probe_args::all(const std::string& name) const {
  std::vector<std::string> values;
  for (auto& o : options)
    if (o.first == name) values.push_back(o.second);
  return values;
}

bool probe_args::number(const std::string& name, int64_t& out) const {
  return parse_number(get(name), out);
}

probe_args parse_probe_args(int argc, char** argv, const std::vector<std::string>& flags) {
  probe_args args;
  for (int i = 1; i < argc; i++) {
    std::string word = argv[i];
    if (word.rfind("--", 0) == 0 && word.size() > 2) {
      std::string name = word.substr(2);
      if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
        args.options.push_back({name, ""});
      } else if (i + 1 < argc) {
        args.options.push_back({name, argv[++i]});
      } else {
        args.error = "option --" + name + " needs a value";
      }
    } else if (args.command.empty()) {
      args.command = word;
    } else {
      args.positional.push_back(word);
    }
  }
  return args;
}

bool parse_number(const std::string& text, int64_t& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  long long value = strtoll(text.c_str(), &end, 0);
  if (*end != 0) return false;
  out = value;
  return true;
}

static int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool parse_hex(const std::string& text, std::vector<uint8_t>& out) {
  int high = -1;
  for (char c : text) {
    if (c == ' ' || c == ':' || c == ',') continue;
    int d = hex_digit(c);
    if (d < 0) return false;
    if (high < 0) {
      high = d;
    } else {
      out.push_back(uint8_t(high * 16 + d));
      high = -1;
    }
  }
  return high < 0;
}

std::string to_hex(const uint8_t* bytes, size_t count) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(count * 2);
  for (size_t i = 0; i < count; i++) {
    hex += digits[bytes[i] >> 4];
    hex += digits[bytes[i] & 15];
  }
  return hex;
}

// Command-line options of orvprobe: "--name value" pairs and flags.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct probe_args {
  std::string command;
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;  // in order; flags have ""
  std::string error;  // set when the command line cannot be understood

  bool has(const std::string& name) const;
  std::string get(const std::string& name, const std::string& fallback = "") const;
  std::vector<std::string> all(const std::string& name) const;
  // Numbers may be decimal, 0x-hex or negative; false on garbage.
  bool number(const std::string& name, int64_t& out) const;
};

// Options that take no value.
probe_args parse_probe_args(int argc, char** argv, const std::vector<std::string>& flags);

bool parse_number(const std::string& text, int64_t& out);
// "55 66 77 88" or "55667788" -> bytes; false on odd digits or garbage.
bool parse_hex(const std::string& text, std::vector<uint8_t>& out);
std::string to_hex(const uint8_t* bytes, size_t count);

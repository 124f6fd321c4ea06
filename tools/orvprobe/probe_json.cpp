#include "tools/orvprobe/probe_json.h"

#include <cstdio>

std::string json_string(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20 || c >= 0x7F) {
      char escaped[8];
      snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

void json_object::name(const std::string& n) {
  if (!body_.empty()) body_ += ",";
  body_ += json_string(n) + ":";
}

json_object& json_object::field(const std::string& n, const std::string& text) {
  name(n);
  body_ += json_string(text);
  return *this;
}

json_object& json_object::field(const std::string& n, const char* text) {
  return field(n, std::string(text));
}

json_object& json_object::field(const std::string& n, int64_t number) {
  name(n);
  body_ += std::to_string(number);
  return *this;
}

json_object& json_object::field(const std::string& n, double number) {
  char text[40];
  snprintf(text, sizeof text, "%.4f", number);
  name(n);
  body_ += text;
  return *this;
}

json_object& json_object::field(const std::string& n, bool value) {
  name(n);
  body_ += value ? "true" : "false";
  return *this;
}

json_object& json_object::raw(const std::string& n, const std::string& json) {
  name(n);
  body_ += json;
  return *this;
}

json_object& json_object::null(const std::string& n) {
  name(n);
  body_ += "null";
  return *this;
}

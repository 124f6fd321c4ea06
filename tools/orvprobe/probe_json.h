// Builds one JSON object as text, field by field, for orvprobe's output.
#pragma once
#include <cstdint>
#include <string>

class json_object {
 public:
  json_object& field(const std::string& name, const std::string& text);
  json_object& field(const std::string& name, const char* text);
  json_object& field(const std::string& name, int64_t number);
  json_object& field(const std::string& name, double number);
  json_object& field(const std::string& name, bool value);
  json_object& raw(const std::string& name, const std::string& json);  // already JSON
  json_object& null(const std::string& name);
  std::string text() const { return "{" + body_ + "}"; }

 private:
  void name(const std::string& n);
  std::string body_;
};

std::string json_string(const std::string& text);  // quoted, escaped, bytes >= 0x80 as \u00XX

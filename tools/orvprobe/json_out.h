// One JSON object written piece by piece through an output function, so that
// an object of any length (the hex of a 64 KiB clipboard object) needs no
// buffer of its size. Every value takes a name; a null name writes a list
// element. Texts are quoted with bytes below 0x20 and from 0x7F on written
// as \u00XX. Numbers are 32-bit: nothing the tools print is wider.
#pragma once
#include <cstdint>

struct json_out {
  void (*emit)(const char* text, uint32_t length);
  bool comma = false;  // a value was written at this level: the next needs a comma
};

void json_open(json_out& out, const char* name = nullptr);  // {
void json_close(json_out& out);                              // }
void json_open_list(json_out& out, const char* name);       // [
void json_close_list(json_out& out);                         // ]
void json_text(json_out& out, const char* name, const char* text);
void json_text(json_out& out, const char* name, const char* text, uint32_t length);
void json_int(json_out& out, const char* name, int32_t value);
void json_uint(json_out& out, const char* name, uint32_t value);
// Four decimals, as milliseconds and wall-clock seconds are reported; for
// values from 0 up to 2^32.
void json_fixed(json_out& out, const char* name, double value);
void json_bool(json_out& out, const char* name, bool value);
void json_null(json_out& out, const char* name);
void json_hex(json_out& out, const char* name, const uint8_t* bytes, uint32_t count);
// A value that is already JSON.
void json_raw(json_out& out, const char* name, const char* json);

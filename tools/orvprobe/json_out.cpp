#include "tools/orvprobe/json_out.h"

#include <cstring>

#include "common/decimal_text.h"

namespace {

void emit(json_out& out, const char* text) { out.emit(text, uint32_t(strlen(text))); }

void quoted(json_out& out, const char* text, uint32_t length) {
  static const char digits[] = "0123456789abcdef";
  emit(out, "\"");
  uint32_t plain = 0;  // start of the run of characters written as they are
  for (uint32_t i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    bool escape = c == '"' || c == '\\', code = c < 0x20 || c >= 0x7F;
    if (!escape && !code) continue;
    out.emit(text + plain, i - plain);
    plain = i + 1;
    char escaped[6] = {'\\', char(c), '0', '0', digits[c >> 4], digits[c & 15]};
    if (code) escaped[1] = 'u';
    out.emit(escaped, code ? 6 : 2);
  }
  out.emit(text + plain, length - plain);
  emit(out, "\"");
}

void start_value(json_out& out, const char* name) {
  if (out.comma) emit(out, ",");
  out.comma = true;
  if (name) {
    quoted(out, name, uint32_t(strlen(name)));
    emit(out, ":");
  }
}

}  // namespace

void json_open(json_out& out, const char* name) {
  if (name || out.comma) start_value(out, name);
  emit(out, "{");
  out.comma = false;
}

void json_close(json_out& out) {
  emit(out, "}");
  out.comma = true;
}

void json_open_list(json_out& out, const char* name) {
  start_value(out, name);
  emit(out, "[");
  out.comma = false;
}

void json_close_list(json_out& out) {
  emit(out, "]");
  out.comma = true;
}

void json_text(json_out& out, const char* name, const char* text) {
  json_text(out, name, text, uint32_t(strlen(text)));
}

void json_text(json_out& out, const char* name, const char* text, uint32_t length) {
  start_value(out, name);
  quoted(out, text, length);
}

void json_int(json_out& out, const char* name, int32_t value) {
  if (value >= 0) return json_uint(out, name, uint32_t(value));
  start_value(out, name);
  char text[22] = "-";
  out.emit(text, 1 + decimal_text(0u - uint32_t(value), text + 1));
}

void json_uint(json_out& out, const char* name, uint32_t value) {
  start_value(out, name);
  char text[21];
  out.emit(text, decimal_text(value, text));
}

void json_fixed(json_out& out, const char* name, double value) {
  start_value(out, name);
  if (!(value >= 0) || value >= 4294967295.0) {  // out of range, or not a number
    emit(out, value < 0 ? "-1" : "4294967295");
    return;
  }
  uint32_t whole = uint32_t(value);
  uint32_t fraction = uint32_t((value - double(whole)) * 10000.0 + 0.5);
  if (fraction >= 10000) {  // rounded up into the next whole
    fraction -= 10000;
    ++whole;
  }
  char text[24];
  uint32_t length = decimal_text(whole, text);
  text[length++] = '.';
  for (uint32_t unit = 1000; unit; unit /= 10) text[length++] = char('0' + fraction / unit % 10);
  out.emit(text, length);
}

void json_bool(json_out& out, const char* name, bool value) {
  start_value(out, name);
  emit(out, value ? "true" : "false");
}

void json_null(json_out& out, const char* name) {
  start_value(out, name);
  emit(out, "null");
}

void json_hex(json_out& out, const char* name, const uint8_t* bytes, uint32_t count) {
  start_value(out, name);
  static const char digits[] = "0123456789abcdef";
  emit(out, "\"");
  char chunk[128];
  uint32_t used = 0;
  for (uint32_t i = 0; i < count; ++i) {
    chunk[used++] = digits[bytes[i] >> 4];
    chunk[used++] = digits[bytes[i] & 15];
    if (used == sizeof chunk) {
      out.emit(chunk, used);
      used = 0;
    }
  }
  out.emit(chunk, used);
  emit(out, "\"");
}

void json_raw(json_out& out, const char* name, const char* json) {
  start_value(out, name);
  emit(out, json);
}

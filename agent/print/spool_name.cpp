#include "agent/print/spool_name.h"

#include <cstring>

#include "agent/channel/channel.h"
#include "agent/print/spool_os.h"
#include "common/decimal_text.h"

uint32_t spool_counter = 1;
uint32_t spool_prefix_length = 0;

void spool_reset() {
  spool_counter = 1;
  spool_prefix_length = 0;
}

static bool exists(const char* path) { return spool_os_path_state(path) == path_exists; }

// The first directory that exists of: TMP as written, TMP without its
// double quotes, the caller's directory, the root, the current directory.
static void choose_directory(const char* fallback, char* out) {
  char value[spool_name_capacity];
  uint32_t length = spool_os_environment("TMP", value, sizeof value);
  if (length > 0 && length < sizeof value) {
    if (exists(value)) {
      memcpy(out, value, length + 1);
      return;
    }
    if (strchr(value, '"')) {
      uint32_t kept = 0;
      for (uint32_t i = 0; i < length; i++) {
        if (value[i] != '"') value[kept++] = value[i];
      }
      value[kept] = 0;
      if (kept > 0 && exists(value)) {
        memcpy(out, value, kept + 1);
        return;
      }
    }
  }
  // The caller's directory is only used when it fits the name buffer.
  if (strlen(fallback) < spool_name_capacity && exists(fallback)) {
    strcpy(out, fallback);
    return;
  }
  strcpy(out, exists("\\") ? "\\" : ".");
}

// A final backslash that is the second byte of a double-byte character is
// part of that character, not a separator.
static bool ends_with_separator(const char* directory, uint32_t length) {
  if (length == 0) return false;
  uint8_t last = uint8_t(directory[length - 1]);
  if (last == '/') return true;
  if (last != '\\') return false;
  uint32_t at = 0;
  while (at < length - 1) at += spool_os_is_lead_byte(uint8_t(directory[at])) ? 2 : 1;
  return at == length - 1;  // the last byte starts a character of its own
}

bool make_spool_name(const char* directory, const char* prefix, char* out) {
  char chosen[spool_name_capacity];
  choose_directory(directory, chosen);
  uint32_t directory_length = uint32_t(strlen(chosen));
  uint32_t prefix_length = uint32_t(strlen(prefix));
  if (directory_length + prefix_length + 12 > spool_longest_name) return false;

  char base[spool_name_capacity];
  memcpy(base, chosen, directory_length);
  uint32_t base_length = directory_length;
  if (!ends_with_separator(chosen, directory_length)) base[base_length++] = '\\';
  memcpy(base + base_length, prefix, prefix_length);
  base_length += prefix_length;
  base[base_length] = 0;

  uint32_t first = spool_prefix_length < prefix_length ? 1 : spool_counter;
  spool_prefix_length = prefix_length;
  for (;;) {
    spool_counter += 1;
    if (spool_counter - first > spool_attempts) return false;
    memcpy(out, base, base_length);
    // At most 10 digits and a NUL: within the 12 characters the length
    // check leaves beside the directory and the prefix.
    decimal_text(spool_counter, out + base_length);
    if (spool_os_path_state(out) == path_missing) return true;
  }
}

void spool_name_request(uint8_t*, uint32_t) {
  char name[spool_name_capacity];
  if (!make_spool_name(spool_dir_default, spool_prefix, name)) return;
  uint32_t size = uint32_t(strlen(name)) + 1;
  if (uint8_t* payload = reply_begin(size, reply_spool_name)) memcpy(payload, name, size);
  reply_publish();
}

#include "agent/print/text_layout.h"

#include <algorithm>
#include <cstring>

#include "agent/print/print_device.h"
#include "agent/print/print_os.h"

// One document at a time; the geometry is recomputed for each.
static os_handle job_dc = nullptr;
static const char* job_document_name = nullptr;
static int32_t line_height = 0;
static int32_t printable_width = 0;
static int32_t printable_height = 0;
static int32_t page_y = -1;  // -1 while no page is open

static constexpr uint8_t carriage_return = 13;
static constexpr uint8_t line_feed = 10;
static constexpr char blank = ' ';

// A device size less its margins, kept within 0 .. INT32_MAX: a device that
// reports a nonsense size gets a narrow or short page, never an overflow.
static int32_t less_margins(int32_t size, int32_t margins) {
  return int32_t(std::clamp<int64_t>(int64_t(size) - margins, 0, INT32_MAX));
}

static bool document_begin() {
  device_set_text_mapping(job_dc);
  page_y = -1;
  // A font height below 1 would let page_y stand still or run backwards into
  // the -1 that means "no page open", and pages would start inside pages.
  line_height = std::max(device_font_height(job_dc), int32_t(1));
  printable_width = less_margins(device_width(job_dc), left_margin + right_margin);
  printable_height = less_margins(device_height(job_dc), top_margin + bottom_margin);
  return device_start_document(job_dc, job_document_name, print_data_type);
}

static void document_end() {
  if (page_y != -1) device_end_page(job_dc);
  device_end_document(job_dc);
}

static void print_line(const char* chars, int32_t count) {
  // In 64 bits: a huge font height must not wrap the sum around.
  if (page_y != -1 && int64_t(page_y) + line_height > printable_height) {
    device_end_page(job_dc);
    page_y = -1;
  }
  if (page_y == -1) {
    device_start_page(job_dc);
    page_y = top_margin;
  }
  device_draw_text(job_dc, left_margin, page_y, chars, count);
  page_y += line_height;
}

// Wraps one source line to the printable width. Each pass prints one line
// and consumes at least one character.
static void layout_line(const char* piece, int32_t length) {
  if (const void* nul = memchr(piece, 0, size_t(length))) {
    length = int32_t(static_cast<const char*>(nul) - piece);
  }
  while (length > 0 && piece[length - 1] == blank) length--;

  for (;;) {
    int32_t fit = device_fit_count(job_dc, piece, length, printable_width);
    // Without a measurement the rest is kept whole; the device clips it.
    if (fit < 0 || fit > length) fit = length;
    if (fit == length) {
      print_line(piece, length);
      return;
    }
    // The indentation stays with its first word: blanks that open the
    // piece are no break points, so such a word breaks hard, indented.
    int32_t opening = 0;
    while (piece[opening] == blank) opening++;
    int32_t k = fit - 1;
    while (k >= opening && piece[k] != blank) k--;
    if (k >= opening) {
      print_line(piece, k);
      piece += k + 1;  // the break blank is dropped
      length -= k + 1;
      continue;
    }
    // Narrower than one character: print one anyway, so the line ends.
    if (fit == 0) fit = 1;
    print_line(piece, fit);
    piece += fit;
    length -= fit;
    if (length == 0) return;  // that one character was the last
  }
}

// Cuts the held bytes into source lines and lays each out. A line is taken
// before the input ends only when its stopping byte and the byte after it
// are both held, so a CR LF split across two reads is still one break.
// Returns where the next read goes.
static uint8_t* split_lines(uint8_t* buffer, int32_t& held, bool input_ended) {
  int32_t n = held;
  uint8_t* p = buffer;
  uint8_t* line = p;
  buffer[n] = carriage_return;  // sentinel: ends an unterminated last line
  buffer[n + 1] = 0;            // the pair test may look one byte beyond it
  while (n > 0) {
    line = p;
    int32_t i = 0;
    while (line[i] != carriage_return && line[i] != line_feed && i < max_line_chars) i++;
    if (i > n - 2 && !input_ended) break;
    layout_line(reinterpret_cast<const char*>(line), i);
    n -= i;
    uint8_t stop = line[i];
    if (stop == carriage_return || stop == line_feed) {
      if (stop == (line[i + 1] ^ 7)) {  // CR LF or LF CR: one break
        p = line + i + 2;
        n -= 2;
      } else {
        p = line + i + 1;
        n -= 1;
      }
    } else {
      p = line + max_line_chars;  // cut: the 401st character starts a line
    }
  }
  if (n > 0) memmove(buffer, line, size_t(n));
  held = n;
  return buffer + (n > 0 ? n : 0);
}

bool print_text(os_handle file, os_handle dc, const char* document_name) {
  job_dc = dc;
  job_document_name = document_name;
  os_handle memory = os_global_alloc(print_buffer_size);
  if (!memory) return false;
  auto* buffer = static_cast<uint8_t*>(os_global_lock(memory));
  bool begun = buffer && document_begin();
  if (!begun) {
    if (buffer) os_global_unlock(memory);
    os_global_free(memory);
    return false;
  }
  int32_t held = 0;
  uint8_t* read_at = buffer;
  bool input_ended = false;
  do {
    uint32_t got = print_os_read_file(file, read_at, print_chunk_size);
    if (got > print_chunk_size) got = print_chunk_size;
    input_ended = got < print_chunk_size;
    held += int32_t(got);
    read_at = split_lines(buffer, held, input_ended);
  } while (!input_ended);
  document_end();
  os_global_unlock(memory);
  os_global_free(memory);
  return true;
}

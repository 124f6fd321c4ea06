#include "window_locator.h"

#include <cstring>

#include "desktop_os.h"

static char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Compares n characters ignoring ASCII letter case; a shorter text differs.
static bool same_ignoring_case(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; i++) {
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    if (a[i] == 0) return true;  // both ended together
  }
  return true;
}

static bool considered(os_handle window, const char* title) {
  return title[0] != 0 && desktop_is_window(window) && !desktop_is_iconic(window) &&
         desktop_is_visible(window);
}

os_handle find_console_window(const char* text) {
  static const char prompt[] = "MS-DOS Prompt";
  char buffer[locator_buffer_size];
  int best_score = 1;  // a window must beat this, so 2 points at least
  os_handle best = nullptr;
  os_handle window = desktop_first_window();
  // Every window visited counts, also those passed over; after the end of
  // the list the rounds run on a null handle and choose nothing.
  for (int round = 0; round < locator_rounds; round++) {
    buffer[0] = 0;
    desktop_window_text(window, buffer, sizeof buffer);
    buffer[sizeof buffer - 1] = 0;
    if (considered(window, buffer)) {
      int score = 0;
      if (same_ignoring_case(buffer, prompt, sizeof prompt - 1)) score++;
      if (strstr(buffer, text)) score++;
      if (score > 0) {
        buffer[0] = 0;
        desktop_class_name(window, buffer, sizeof buffer);  // the title is done with
        buffer[sizeof buffer - 1] = 0;
        if (same_ignoring_case(buffer, "tty", 4)) score++;
      }
      if (score > best_score) {
        best_score = score;
        best = window;
      }
    }
    window = desktop_next_window(window);
  }
  return best;
}

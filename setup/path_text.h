// Bounded text helpers for the installer's fixed-size path buffers. A text
// that does not fit is refused whole: a cut path would name another file.
#pragma once
#include <cstddef>
#include <cstdint>

// True when the first `count` characters of a and b are equal, ASCII letters
// compared without regard to case.
bool same_text_ignoring_case(const char* a, const char* b, size_t count);

// Whole texts equal, or text ending in tail, ASCII letters compared without
// regard to case.
bool equal_ignoring_case(const char* a, const char* b);
bool ends_with_ignoring_case(const char* text, const char* tail);

// Copies text into out; false (out left empty) when it does not fit.
bool copy_text(char* out, size_t capacity, const char* text);

// Appends text to the text already in out; false (out unchanged) when the
// whole would not fit.
bool append_text(char* out, size_t capacity, const char* text);

// Appends value in decimal; false (out unchanged) when it would not fit.
bool append_number(char* out, size_t capacity, uint32_t value);

// True when a component of the path, between backslashes or slashes, is
// "." or "..": the path may then lead anywhere.
bool has_dot_component(const char* path);

// "X:\..." with no "." or ".." component.
bool is_drive_path(const char* path);
// A drive path that names a folder below the root in one spelling: no
// empty component, no separator at its end.
bool is_drive_folder(const char* path);

// out := directory followed by tail (which starts with its own backslash).
// False, out empty, when the directory is empty or the path does not fit.
bool directory_file(char* out, size_t capacity, const char* directory, const char* tail);

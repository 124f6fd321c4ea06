// The memory and text routines that the compiler and our code call, for the
// programs that link no C runtime. Built freestanding and without loop
// pattern replacement, so that gcc does not turn these loops back into calls
// of themselves.
#include <cstddef>

extern "C" {

void* memcpy(void* to, const void* from, size_t count) {
  auto* out = static_cast<unsigned char*>(to);
  auto* in = static_cast<const unsigned char*>(from);
  while (count--) *out++ = *in++;
  return to;
}

void* memmove(void* to, const void* from, size_t count) {
  auto* out = static_cast<unsigned char*>(to);
  auto* in = static_cast<const unsigned char*>(from);
  if (out < in) {
    while (count--) *out++ = *in++;
  } else {
    while (count--) out[count] = in[count];
  }
  return to;
}

void* memset(void* to, int value, size_t count) {
  auto* out = static_cast<unsigned char*>(to);
  while (count--) *out++ = static_cast<unsigned char>(value);
  return to;
}

void* memchr(const void* area, int value, size_t count) {
  auto* at = static_cast<const unsigned char*>(area);
  for (; count--; ++at) {
    if (*at == static_cast<unsigned char>(value)) return const_cast<unsigned char*>(at);
  }
  return nullptr;
}

size_t strlen(const char* text) {
  size_t length = 0;
  while (text[length]) ++length;
  return length;
}

size_t strnlen(const char* text, size_t most) {
  size_t length = 0;
  while (length < most && text[length]) ++length;
  return length;
}

char* strcpy(char* to, const char* from) {
  char* out = to;
  while ((*out++ = *from++)) {
  }
  return to;
}

int strcmp(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return static_cast<unsigned char>(*a) - static_cast<unsigned char>(*b);
}

char* strchr(const char* text, int value) {
  for (;; ++text) {
    if (*text == static_cast<char>(value)) return const_cast<char*>(text);
    if (!*text) return nullptr;
  }
}

char* strrchr(const char* text, int value) {
  const char* found = nullptr;
  for (;; ++text) {
    if (*text == static_cast<char>(value)) found = text;
    if (!*text) return const_cast<char*>(found);
  }
}

char* strstr(const char* text, const char* part) {
  size_t length = strlen(part);
  for (; *text; ++text) {
    size_t i = 0;
    while (i < length && text[i] == part[i]) ++i;
    if (i == length) return const_cast<char*>(text);
  }
  return length == 0 ? const_cast<char*>(text) : nullptr;
}

}  // extern "C"

// Cuts a Windows command line into arguments the way the C runtime's start-up
// does, for the console programs that link no C runtime. Blanks and tabs
// separate arguments; double quotes group blanks into one; in the arguments
// after the first, 2n backslashes before a quote give n and the quote counts,
// 2n+1 give n and a literal quote, other backslashes are kept. The first
// argument, the program's name, ends at the first blank outside quotes and
// keeps its backslashes as they are.
#pragma once
#include <cstddef>

// Writes the arguments, each NUL-terminated, into text (capacity bytes) and
// points argv at them; stops at max_arguments - 1 and ends argv with null.
// Returns the argument count. A line that does not fit text is cut.
int split_command_line(const char* line, char* text, size_t capacity, char** argv,
                       int max_arguments);

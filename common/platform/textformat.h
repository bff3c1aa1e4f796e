// Formatting into fixed text buffers, for every layer and program.
#pragma once

#include <cstddef>

// printf-style formatting into out (size bytes, the ending NUL included). False when the text
// does not fit, or size is 0; out then holds the empty text (when size allows any).
bool FormatInto(char *out, size_t size, const char *format, ...)
#if defined(__GNUC__) || defined(__clang__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

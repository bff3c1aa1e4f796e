// Formatting into fixed text buffers, for every layer and program.
#pragma once

#include <cstddef>

#if defined(__GNUC__) || defined(__clang__)
#define LUMORA_PRINTF_FORMAT __attribute__((format(printf, 3, 4)))
#else
#define LUMORA_PRINTF_FORMAT
#endif

// printf-style formatting into out (size bytes, the ending NUL included). False when the text
// does not fit, or size is 0; out then holds the empty text (when size allows any).
bool FormatInto(char *out, size_t size, const char *format, ...) LUMORA_PRINTF_FORMAT;

// The same, but a text that does not fit is cut to its first size - 1 bytes instead of emptied
// (for texts that are only shown). Nothing is written when size is 0.
void FormatCut(char *out, size_t size, const char *format, ...) LUMORA_PRINTF_FORMAT;

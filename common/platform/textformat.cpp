#include "textformat.h"

#include <cstdarg>
#include <cstdio>

bool FormatInto(char *out, size_t size, const char *format, ...) {
  if (size == 0) return false;
  va_list args;
  va_start(args, format);
  int n = vsnprintf(out, size, format, args);
  va_end(args);
  if (n >= 0 && size_t(n) < size) return true;
  out[0] = 0;
  return false;
}

void FormatCut(char *out, size_t size, const char *format, ...) {
  if (size == 0) return;
  va_list args;
  va_start(args, format);
  if (vsnprintf(out, size, format, args) < 0) out[0] = 0;
  va_end(args);
}

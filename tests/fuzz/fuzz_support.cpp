#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform.h"

const std::string &WriteFuzzInput(const uint8_t *data, size_t size, const char *extension) {
  static std::string path;
  std::string dir = getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp";
  path = dir + "/lumora-fuzz-" + std::to_string(getpid()) + extension;
  FILE *f = fopen(path.c_str(), "wb");
  if (!f) abort();
  if (size && fwrite(data, 1, size, f) != size) abort();
  fclose(f);
  return path;
}

void TouchBlockEnds(const void *block) {
  const uint8_t *bytes = static_cast<const uint8_t *>(block);
  volatile uint8_t ends = bytes[0] ^ bytes[GlobalSize(const_cast<void *>(block)) - 1];
  (void)ends;
}

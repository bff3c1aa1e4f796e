#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

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

#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform.h"

const std::string &FuzzScratchDirectory() {
  static const std::string dir = [] {
    if (const char *tmp = getenv("TMPDIR")) return std::string(tmp);
    // Memory-backed where there is one: every run writes and deletes files.
    if (access("/dev/shm", W_OK | X_OK) == 0) return std::string("/dev/shm");
    return std::string("/tmp");
  }();
  return dir;
}

const std::string &WriteFuzzInput(const uint8_t *data, size_t size, const char *extension) {
  static std::string path;
  if (path.empty()) atexit([] { unlink(path.c_str()); });
  path = FuzzScratchDirectory() + "/lumora-fuzz-" + std::to_string(getpid()) + extension;
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

void CheckFuzzedPicture(PackedBitmap bitmap, const PictureFit *fit, int bits, int otherBits) {
  if (!bitmap) return;
  const BITMAPINFOHEADER *info = static_cast<const BITMAPINFOHEADER *>(bitmap);
  if (info->biSize != sizeof(BITMAPINFOHEADER) ||
      (info->biBitCount != bits && info->biBitCount != otherBits) || info->biWidth < 1 ||
      info->biHeight < 1 || !PackedBitmapIsWhole(bitmap))
    abort();
  if (fit && (info->biWidth > fit->fullWidth || info->biHeight > fit->fullHeight)) abort();
  TouchBlockEnds(bitmap);
  GlobalFree(bitmap);
}

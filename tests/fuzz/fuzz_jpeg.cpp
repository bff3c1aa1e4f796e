// Any bytes as a JPEG file, through the whole JPEG path: conversion with libjpeg into the
// temporary BMP file, read back, deleted. No input may end the process, and the temporary file
// must be gone afterwards.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "jpegreader.h"

namespace {

// This process's own "Windows directory", so that parallel runs keep apart.
std::string ScratchWindowsDirectory() {
  std::string dir = FuzzScratchDirectory() + "/lumora-fuzz-windir-XXXXXX";
  if (!mkdtemp(&dir[0])) abort();
  setenv("LUMORA_WINDIR", dir.c_str(), 1);
  atexit([] { rmdir(getenv("LUMORA_WINDIR")); });
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  static const std::string dir = ScratchWindowsDirectory();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string &file = WriteFuzzInput(data, size, ".jpg");
  PackedBitmap bitmap = ReadJpegFile(file.c_str());
  const std::string temp = std::string(getenv("LUMORA_WINDIR")) + "/temp.bmp";
  if (access(temp.c_str(), F_OK) == 0) abort();
  if (!bitmap) return 0;
  const BITMAPINFOHEADER *info = static_cast<const BITMAPINFOHEADER *>(bitmap);
  const int bits = info->biBitCount;
  if (info->biSize != sizeof(BITMAPINFOHEADER) || (bits != 8 && bits != 24) || info->biWidth < 1 ||
      info->biHeight < 1)
    abort();
  const size_t pixels = (size_t)PackedRowBytes(info->biWidth, bits) * (size_t)info->biHeight;
  const BYTE *start = PackedBitmapPixels(bitmap);
  if ((size_t)(start - static_cast<BYTE *>(bitmap)) + pixels > GlobalSize(bitmap)) abort();
  volatile BYTE last = start[pixels - 1];
  (void)last;
  GlobalFree(bitmap);
  return 0;
}

// Any bytes as a JPEG file, through the whole JPEG path: libjpeg decoding straight into the
// packed bitmap. No input may end the process, and nothing may appear in the temporary folder.
#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "jpegreader.h"

namespace {

// This process's own temporary folder (TMP), so that a file left behind shows.
std::string ScratchTemporaryFolder() {
  std::string dir = FuzzScratchDirectory() + "/lumora-fuzz-tmp-XXXXXX";
  if (!mkdtemp(&dir[0])) abort();
  setenv("TMP", dir.c_str(), 1);
  atexit([] { rmdir(getenv("TMP")); });
  return dir;
}

bool FolderIsEmpty(const char *folder) {
  DIR *d = opendir(folder);
  if (!d) return false;
  bool empty = true;
  while (struct dirent *e = readdir(d))
    if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) empty = false;
  closedir(d);
  return empty;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  static const std::string dir = ScratchTemporaryFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string &file = WriteFuzzInput(data, size, ".jpg");
  PackedBitmap bitmap = ReadJpegFile(file.c_str());
  if (!FolderIsEmpty(getenv("TMP"))) abort();
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

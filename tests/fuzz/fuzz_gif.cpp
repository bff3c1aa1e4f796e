// Any bytes as a GIF file: the reader must stay inside its buffers and the bitmap it returns
// must hold its whole header, colour table and rows.
#include <cstdlib>

#include "fuzz_support.h"
#include "gifreader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string &file = WriteFuzzInput(data, size, ".gif");
  PackedBitmap bitmap = ReadGifFile(file.c_str());
  if (!bitmap) return 0;
  const BITMAPINFOHEADER *info = static_cast<const BITMAPINFOHEADER *>(bitmap);
  const int bits = info->biBitCount;
  if (info->biSize != sizeof(BITMAPINFOHEADER) || (bits != 1 && bits != 4 && bits != 8) ||
      info->biWidth < 1 || info->biWidth > 65535 || info->biHeight < 1 || info->biHeight > 65535 ||
      info->biClrUsed != (DWORD)(1 << bits))
    abort();
  const size_t pixels = (size_t)PackedRowBytes(info->biWidth, bits) * (size_t)info->biHeight;
  const BYTE *start = PackedBitmapPixels(bitmap);
  if (info->biSizeImage != pixels ||
      (size_t)(start - static_cast<BYTE *>(bitmap)) + pixels > GlobalSize(bitmap))
    abort();
  // Touch the last pixel byte so that the sanitizer checks the block's extent.
  volatile BYTE last = start[pixels - 1];
  (void)last;
  GlobalFree(bitmap);
  return 0;
}

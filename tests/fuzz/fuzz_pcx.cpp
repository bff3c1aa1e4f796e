// Any bytes as a PCX file: the reader must stay inside its buffers and the file, and the
// bitmap it returns must be exactly its header, colour table and rows.
#include <cstdlib>

#include "fuzz_support.h"
#include "pcxreader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string &file = WriteFuzzInput(data, size, ".pcx");
  PackedBitmap bitmap = ReadPcxFile(file.c_str());
  if (!bitmap) return 0;
  const BITMAPINFOHEADER *info = static_cast<const BITMAPINFOHEADER *>(bitmap);
  const int bits = info->biBitCount;
  const bool knownDepth =
      bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 24 || bits == 32;
  const DWORD colors = info->biClrUsed;
  const bool knownColors = bits > 8 ? colors == 0 : colors == 2 || colors == 16 || colors == 256;
  if (info->biSize != sizeof(BITMAPINFOHEADER) || !knownDepth || !knownColors ||
      info->biWidth < 1 || info->biWidth > 65536 || info->biHeight < 1 || info->biHeight > 65536)
    abort();
  const size_t pixels = (size_t)PackedRowBytes(info->biWidth, bits) * (size_t)info->biHeight;
  if (info->biSizeImage != pixels || pixels > kMaxPackedPixelBytes ||
      GlobalSize(bitmap) != sizeof(BITMAPINFOHEADER) + colors * 4 + pixels ||
      PackedBitmapPixels(bitmap) != (BYTE *)bitmap + sizeof(BITMAPINFOHEADER) + colors * 4)
    abort();
  TouchBlockEnds(bitmap);
  GlobalFree(bitmap);
  return 0;
}

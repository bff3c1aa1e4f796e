// Any bytes as a BMP file: the reader must stay inside the file's bytes and its block, never
// allocate past the pixel limit, and hand on only blocks that hold their whole header,
// colour table and pixel data.
#include <cstdlib>

#include "bmpreader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string &file = WriteFuzzInput(data, size, ".bmp");
  PackedBitmap bitmap = ReadBmpFile(file.c_str());
  if (!bitmap) return 0;
  PackedLayout layout;
  if (!PackedBitmapIsWhole(bitmap) || !PackedBitmapLayout(bitmap, GlobalSize(bitmap), &layout) ||
      layout.pixelBytes > kMaxPackedPixelBytes ||
      (BYTE *)bitmap + layout.pixelOffset != PackedBitmapPixels(bitmap))
    abort();
  TouchBlockEnds(bitmap);
  GlobalFree(bitmap);
  return 0;
}

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
  // Touch both ends of the block so that the sanitizer checks its extent.
  const BYTE *bytes = static_cast<const BYTE *>(bitmap);
  volatile BYTE ends = bytes[0] ^ bytes[GlobalSize(bitmap) - 1];
  (void)ends;
  GlobalFree(bitmap);
  return 0;
}

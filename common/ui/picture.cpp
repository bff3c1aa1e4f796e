#include "picture.h"

#include <cstring>

#include "fileexists.h"
#include "systempicture.h"

namespace {

// A DIB section holding the block's rows as they are: no conversion into the display's format,
// drawn by the same calls. Null for what a section cannot hold (run-length encoded rows, a
// 12-byte header) and on failure.
HBITMAP PackedBitmapToSection(PackedBitmap bitmap) {
  PackedLayout layout;
  if (!bitmap || !PackedBitmapIsWhole(bitmap) ||
      !PackedBitmapLayout(bitmap, GlobalSize(bitmap), &layout))
    return nullptr;
  const BITMAPINFOHEADER *info = static_cast<const BITMAPINFOHEADER *>(bitmap);
  if (info->biSize == kCoreHeaderSize ||
      (info->biCompression != BI_RGB && info->biCompression != BI_BITFIELDS))
    return nullptr;
  void *bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, static_cast<const BITMAPINFO *>(bitmap),
                                     DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!section) return nullptr;
  if (!bits) {
    DeleteObject(section);
    return nullptr;
  }
  memcpy(bits, static_cast<const BYTE *>(bitmap) + layout.pixelOffset, layout.pixelBytes);
  return section;
}

// The decoding target for the display: a DIB section, kept in *context, whose rows the
// decoder writes.
BYTE *SectionRows(const BITMAPINFO *info, void *context) {
  void *bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (section && !bits) {
    DeleteObject(section);
    section = nullptr;
  }
  *static_cast<HBITMAP volatile *>(context) = section;
  return static_cast<BYTE *>(bits);
}

}  // namespace

HBITMAP LoadPicture(const char *path, const std::atomic<bool> *cancel, PictureFit *fit) {
  if (!path || !FileExists(path)) return nullptr;
  // JPEG and the system's decoders write straight into the display bitmap: no packed block,
  // no copy.
  HBITMAP volatile section = nullptr;
  PackedBitmap packed = nullptr;
  const bool whole = ReadAnyPicture(path, SectionRows, (void *)&section, &packed, cancel, fit);
  HBITMAP bitmap = section;
  const bool cancelled = cancel && cancel->load();
  if (bitmap && (!whole || cancelled)) {
    DeleteObject(bitmap);
    bitmap = nullptr;
  }
  if (packed) {
    if (!cancelled) bitmap = PackedBitmapToDevice(packed);
    GlobalFree(packed);
  }
  return bitmap;
}

HBITMAP PackedBitmapToDevice(PackedBitmap bitmap) {
  HBITMAP section = PackedBitmapToSection(bitmap);
  if (section) return section;
  HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  HBITMAP result = nullptr;
  if (bitmap && dc && PackedBitmapIsWhole(bitmap)) {
    result = CreateDIBitmap(dc, static_cast<const BITMAPINFOHEADER *>(bitmap), CBM_INIT,
                            PackedBitmapPixels(bitmap), static_cast<const BITMAPINFO *>(bitmap),
                            DIB_RGB_COLORS);
  }
  if (dc) DeleteDC(dc);
  return result;
}

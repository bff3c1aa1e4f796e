// ZSoft PCX files: a 128-byte header, run-length encoded scan lines, and for 8-bit pictures
// of version 5 a 256-colour table at the end of the file.
#pragma once

#include "packedbitmap.h"

// Reads a PCX file into a bottom-up PackedBitmap with a BITMAPINFOHEADER. 1, 2, 4 and 8 bits
// on one plane are copied as they are; 3 or 4 one-bit planes are merged into 4 bits per
// pixel; 3 or 4 eight-bit planes become 24 or 32 bits per pixel (blue, green, red, and the
// fourth plane in the last byte). Null when the file cannot be opened, the header is short,
// does not begin with 0x0A, or gives a width or height below 1, a bytes-per-line value too
// small for the width, or a plane layout other than those above; when the file ends before
// the last scan line or a run reaches past it; and when the pixels would exceed
// kMaxPackedPixelBytes. The caller frees the result with GlobalFree.
// A set cancel flag stops the read between batches of scan lines (null).
PackedBitmap ReadPcxFile(const char *path, const std::atomic<bool> *cancel = nullptr);

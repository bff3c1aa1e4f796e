// Windows bitmap files: a 14-byte file header followed by the layout of a PackedBitmap.
#pragma once

#include "packedbitmap.h"

// Reads a BMP file into a PackedBitmap: the file's header, colour table (and BI_BITFIELDS
// masks) and pixel data unchanged, the pixels moved up against the colour table when the file
// leaves a gap before them, and a file cut short completed with zero bytes. Null when the file
// cannot be opened, does not begin with "BM", carries a header this reader cannot bound (an
// unknown size, compression or depth, a width or height out of range) or would exceed
// kMaxPackedPixelBytes. The caller frees the result with GlobalFree.
// A set cancel flag stops the read between pieces of kBmpReadPieceBytes (null).
PackedBitmap ReadBmpFile(const char *path, const std::atomic<bool> *cancel = nullptr);

// Bytes of pixel data read at a time.
const UINT kBmpReadPieceBytes = 1024 * 1024;

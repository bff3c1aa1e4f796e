// GIF pictures: the first image of a GIF file (87a, 89a or any version of that shape) decoded
// by the reader's own LZW decoder into a bottom-up PackedBitmap.
#pragma once

#include "packedbitmap.h"

// Reads the first image of a GIF file into a PackedBitmap with a BITMAPINFOHEADER: 1 bit per
// pixel with 2 colours for a two-colour table, 4 bits with 16 colours for 4 to 16, 8 bits with
// 256 colours for 32 to 256. The image's own (local) colour table is used when it has one,
// otherwise the global one; an interlaced image is stored de-interlaced; any width up to
// 65535 is decoded. Extensions are skipped. Once the image is allocated, corrupt or truncated
// data is not an error: rows the data does not reach stay colour 0.
// Null when the file cannot be opened, is not a GIF, has no global colour table, ends before
// the first image descriptor or its colour table, has no image before the trailer, or the
// image is empty or would exceed kMaxPackedPixelBytes. The caller frees it with GlobalFree.
// A set cancel flag stops the decoding between batches of lines (null).
PackedBitmap ReadGifFile(const char *path, const std::atomic<bool> *cancel = nullptr);

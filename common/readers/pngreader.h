// PNG pictures, decoded with libspng row by row into a packed bitmap.
#pragma once

#include <atomic>

#include "packedbitmap.h"

// Reads a PNG file of any kind (grey, grey with alpha, palette with or without tRNS, RGB,
// RGBA; 1 to 16 bits; interlaced or not) into a bottom-up 24-bit blue-green-red PackedBitmap
// with a BITMAPINFOHEADER. Transparency (an alpha channel or tRNS) is composited over black;
// 16-bit samples are rounded to 8 bits after compositing; gAMA, sBIT and the other ancillary
// chunks leave the pixels as stored. Null when the file cannot be opened, is not a PNG, is cut
// short, has a CRC error in any chunk, an Adler-32 or deflate error, or a structure libspng
// refuses (up to the IEND chunk), when an ancillary chunk would take more memory than the
// reader allows, and when the picture at full size would exceed kMaxPackedPixelBytes. With a
// fit, the rows are reduced as they are decoded by the largest whole factor that still covers
// the fitted size (FitBoxFactor), each pixel the average of its box, and the picture's own size
// is reported there. A set cancel flag stops the read between batches of rows (null). The
// caller frees the result with GlobalFree.
PackedBitmap ReadPngFile(const char *path, const std::atomic<bool> *cancel = nullptr,
                         PictureFit *fit = nullptr);

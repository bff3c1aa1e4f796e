// WebP pictures, decoded with libwebp (its demuxer for the container) into a packed bitmap.
#pragma once

#include <atomic>

#include "packedbitmap.h"

// Reads a WebP file, lossy or lossless, still or animated (its first frame, on the canvas,
// the rest of the canvas black), into a bottom-up PackedBitmap with a BITMAPINFOHEADER:
// 24-bit blue-green-red for a picture without alpha; 32 bits for one with alpha, composited
// over black, the fourth byte 0. libwebp's own decoding, fancy upsampling included, writes
// straight into the block. Null when the file cannot be opened or read whole, is larger than
// kMaxPackedPixelBytes, is not a WebP file libwebp's demuxer and decoder accept, is cut short,
// or when the picture at full size would exceed kMaxPackedPixelBytes at 24 bits. With a fit, a
// picture the fit reduces is decoded straight to the smallest size that still covers the
// fitted size (FitCoverScale) by libwebp's scaling, and its own size is reported there. A set
// cancel flag stops the read between pieces of the data fed to libwebp's incremental decoder
// (null). The caller frees the result with GlobalFree.
PackedBitmap ReadWebpFile(const char *path, const std::atomic<bool> *cancel = nullptr,
                          PictureFit *fit = nullptr);

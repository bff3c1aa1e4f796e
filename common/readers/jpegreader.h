// JPEG pictures, decoded with libjpeg straight into memory: a packed bitmap, or rows that the
// caller provides (bottom-up rows, 24-bit blue-green-red for colour, CMYK and YCCK included,
// 8-bit with a 256-entry grey table for greyscale), upright as the EXIF Orientation tag says
// (exiforientation.h). libjpeg's messages go to the standard error stream; a fatal one never ends
// the program.
#pragma once

#include <atomic>

#include "packedbitmap.h"

// Decodes the JPEG file into the rows the target gives, as ReadJpegFile decodes (the same
// upright rows, reduction, size report and cancelling). True when every row was decoded.
bool DecodeJpegFile(const char *path, PictureRowsTarget target, void *context,
                    const std::atomic<bool> *cancel = nullptr, PictureFit *fit = nullptr);

// Decodes the JPEG file straight into a PackedBitmap, upright as its EXIF Orientation tag
// says; no file is written. The block holds a BITMAPINFOHEADER (the density when the JPEG gives
// it in dots per centimetre, no image size), the grey table for greyscale, and libjpeg's
// decoding in bottom-up rows; for orientations 5 to 8 width and height, and the resolutions,
// swap. Only the first APP1 "Exif" block is read, into at most 64 KiB; every other APP1 block
// is skipped unread. Null when the file cannot be opened or decoded, the picture would exceed
// kMaxPackedPixelBytes, or the cancel flag was set before the last row batch. With a fit, the
// picture is decoded reduced as PictureFit says (libjpeg's scaled output, chosen for the
// upright size) and its own upright size reported there. The caller frees the result with
// GlobalFree.
PackedBitmap ReadJpegFile(const char *path, const std::atomic<bool> *cancel = nullptr,
                          PictureFit *fit = nullptr);

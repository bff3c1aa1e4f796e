// JPEG pictures, decoded with libjpeg into a packed bitmap in memory, or into an uncompressed
// BMP file where a file is the product (bottom-up rows, 24-bit blue-green-red for colour, 8-bit
// with a 256-entry grey table for greyscale). In memory they stand upright as the EXIF
// Orientation tag says (exiforientation.h); the BMP file holds the picture as stored.
#pragma once

#include <atomic>

#include "packedbitmap.h"

// ConvertJpegToBmp results.
const int kJpegConverted = 0;
const int kJpegFailed = 1;

// Decodes the JPEG file and writes it as a BMP file. Returns kJpegConverted when the BMP file
// was written whole; kJpegFailed when the JPEG file cannot be opened (the BMP file is then
// left untouched), the BMP file cannot be created, or libjpeg cannot decode the picture or
// the BMP file cannot be written (the BMP file may then be empty or partly written). A
// picture whose rows would exceed kMaxPackedPixelBytes is refused. libjpeg's messages go to
// the standard error stream; a fatal one never ends the program. With a cancel flag, the
// decoding stops between row batches once the flag is set (kJpegFailed).
int ConvertJpegToBmp(const char *jpegPath, const char *bmpPath,
                     const std::atomic<bool> *cancel = nullptr);

// Memory for the rows of a decoded picture described by info (its header and, for grey, its
// 256-entry table): bottom-up rows padded to 4 bytes, or null to refuse the picture. The
// target keeps what it allocates in its context; the caller of DecodeJpegFile frees it.
typedef BYTE *(*JpegRowsTarget)(const BITMAPINFO *info, void *context);

// Decodes the JPEG file into the rows the target gives, as ReadJpegFile decodes (the same
// upright rows, reduction, size report and cancelling). True when every row was decoded.
bool DecodeJpegFile(const char *path, JpegRowsTarget target, void *context,
                    const std::atomic<bool> *cancel = nullptr, PictureFit *fit = nullptr);

// Decodes the JPEG file straight into a PackedBitmap, upright as its EXIF Orientation tag
// says; no file is written. For a picture stored upright (orientation 1, or none) the block
// holds what ReadBmpFile gives for the BMP file ConvertJpegToBmp writes, byte for byte; for
// orientations 5 to 8 width and height, and the resolutions, swap. Only the first APP1 "Exif"
// block is read, into at most 64 KiB; every other APP1 block is skipped unread. Null when the
// file cannot be opened or decoded, the picture would exceed kMaxPackedPixelBytes, or the
// cancel flag was set before the last row batch. With a fit, the picture is decoded reduced
// as PictureFit says (libjpeg's scaled output, chosen for the upright size) and its own
// upright size reported there. The caller frees the result with GlobalFree.
PackedBitmap ReadJpegFile(const char *path, const std::atomic<bool> *cancel = nullptr,
                          PictureFit *fit = nullptr);

// JPEG pictures, decoded with libjpeg into an uncompressed BMP file (bottom-up rows, 24-bit
// blue-green-red for colour, 8-bit with a 256-entry grey table for greyscale), and read
// upright as the EXIF Orientation tag says.
#pragma once

#include <atomic>

#include "packedbitmap.h"

// The start of the names of the BMP files that ReadJpegFile converts through.
const char kJpegTempPrefix[] = "lum";

// ConvertJpegToBmp results.
const int kJpegConverted = 0;
const int kJpegFailed = 1;

// Decodes the JPEG file and writes it as a BMP file. Returns kJpegConverted when the BMP file
// was written whole; kJpegFailed when the JPEG file cannot be opened (the BMP file is then
// left untouched), the BMP file cannot be created, or libjpeg cannot decode the picture or
// the BMP file cannot be written (the BMP file may then be empty or partly written). A
// picture whose rows would exceed kMaxPackedPixelBytes is refused. libjpeg's messages go to
// the standard error stream; a fatal one never ends the program. With a cancel flag, the
// decoding stops between row batches once the flag is set (kJpegFailed). The BMP file holds
// the picture as stored; with `orientation`, that gets the picture's EXIF orientation
// (exiforientation.h) when the header could be read.
int ConvertJpegToBmp(const char *jpegPath, const char *bmpPath,
                     const std::atomic<bool> *cancel = nullptr, int *orientation = nullptr);

// Converts the JPEG file into a new BMP file of a unique name in the user's temporary folder
// (GetTempPathA, GetTempFileNameA), reads that back turned upright as the picture's EXIF
// Orientation tag says (ReadUprightBmpFile) and deletes it. Null when the conversion or the read
// fails, or when the cancel flag was set. The temporary file is deleted on every path. The
// caller frees the result with GlobalFree.
PackedBitmap ReadJpegFile(const char *path, const std::atomic<bool> *cancel = nullptr);

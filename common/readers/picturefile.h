// Choosing a picture reader by the file name, and reading a picture file with it. Portable:
// LoadPicture, the converter and the tests all read pictures through here.
#pragma once

#include <atomic>

#include "packedbitmap.h"

enum PictureFormat {
  kPictureBmp,
  kPictureGif,
  kPicturePcx,
  kPictureJpeg,
  kPicturePng,
  kPictureWebp
};

// By the end of the name, without regard to case: ".jpg" or ".jpeg" is JPEG, else ".gif" is
// GIF, else ".pcx" is PCX, else ".png" is PNG, else ".webp" is WebP; every other name (any
// extension, or none) is BMP.
PictureFormat PictureFormatOfName(const char *path);

// Reads the file with the reader its name selects. Null when it cannot be read; the caller
// frees the result with GlobalFree. A cancel flag, once set, stops any reader between row
// batches (null result). With a fit, a JPEG, PNG or WebP picture is decoded reduced as its
// reader says, and every picture's own size is reported there.
PackedBitmap ReadPictureFile(const char *path, const std::atomic<bool> *cancel = nullptr,
                             PictureFit *fit = nullptr);

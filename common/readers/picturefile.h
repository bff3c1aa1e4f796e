// Choosing a picture reader by the file's first bytes (else by its name), and reading a picture
// file with it. Portable: LoadPicture, the converter and the tests all read pictures through
// here; on Windows the system's decoders stand behind it (systempicture.h).
#pragma once

#include <atomic>
#include <cstddef>

#include "packedbitmap.h"

enum PictureFormat {
  kPictureBmp,
  kPictureGif,
  kPicturePcx,
  kPictureJpeg,
  kPicturePng,
  kPictureWebp
};

// Bytes of a file's start that PictureFormatOfContent looks at.
const size_t kPictureSignatureBytes = 16;

// By the end of the name, without regard to case: ".jpg" or ".jpeg" is JPEG, else ".gif" is
// GIF, else ".pcx" is PCX, else ".png" is PNG, else ".webp" is WebP; every other name (any
// extension, or none) is BMP.
PictureFormat PictureFormatOfName(const char *path);

// The format that a file's first `size` bytes show: "BM" (BMP), "GIF8" (GIF), the bytes FF D8
// FF (JPEG), the eight-byte PNG signature, "RIFF" with "WEBP" at 8 (WebP), or a PCX header's
// first three bytes (0x0A, version 0, 2, 3, 4 or 5, encoding 1). False when they show none.
bool PictureFormatOfContent(const BYTE *head, size_t size, PictureFormat *format);

// The format the file's first bytes show. False when they show none of the package's formats or
// the file cannot be read.
bool PictureFormatOfFileContent(const char *path, PictureFormat *format);

// The reader for the file: the one its first bytes show, else the one its name says.
PictureFormat PictureFormatOfFile(const char *path);

// Reads the file with the given reader. Null when it cannot be read; the caller frees the result
// with GlobalFree. A cancel flag, once set, stops any reader between row batches (null result).
// With a fit, a JPEG, PNG or WebP picture is decoded reduced as its reader says, and every
// picture's own size is reported there.
PackedBitmap ReadPictureAs(PictureFormat format, const char *path,
                           const std::atomic<bool> *cancel = nullptr, PictureFit *fit = nullptr);

// Reads the file with the reader PictureFormatOfFile chooses, as ReadPictureAs does.
PackedBitmap ReadPictureFile(const char *path, const std::atomic<bool> *cancel = nullptr,
                             PictureFit *fit = nullptr);

// The readers take file names: each fuzz input is written to one scratch file first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "packedbitmap.h"

// The folder for the fuzzers' scratch files: TMPDIR when set, otherwise /dev/shm when it can
// be written (each run writes and deletes files), otherwise /tmp.
const std::string &FuzzScratchDirectory();

// Writes the input to this process's scratch file (removed at exit) and returns its path.
const std::string &WriteFuzzInput(const uint8_t *data, size_t size, const char *extension);

// Reads the first and last byte of a global-heap block, so that the sanitizer checks that the
// block really has the size GlobalSize reports.
void TouchBlockEnds(const void *block);

// Checks a reader's picture and frees it; aborts when it is not a whole bottom-up block with a
// BITMAPINFOHEADER of one of the two depths, or, with a fit, when it is larger than the size
// the fit reports. Nothing for a null picture.
void CheckFuzzedPicture(PackedBitmap bitmap, const PictureFit *fit, int bits, int otherBits);

// The EXIF Orientation tag of a JPEG file: how the stored pixels must be turned to stand
// upright. Only IFD0 of the first APP1 "Exif" block is read; nothing else of EXIF is used.
#pragma once

#include <cstddef>

// Orientation values (tag 0x0112), each naming where the stored picture's first row and first
// column belong: 1 as stored; 2 mirrored left to right; 3 turned 180 degrees; 4 mirrored top to
// bottom; 5 transposed (first row becomes first column); 6 to be turned 90 degrees clockwise;
// 7 transversed (first row becomes last column, reversed); 8 to be turned 90 degrees
// anticlockwise.
const int kOrientationAsStored = 1;
const int kOrientationMirrored = 2;
const int kOrientationTurned180 = 3;
const int kOrientationFlipped = 4;
const int kOrientationTransposed = 5;
const int kOrientationTurnedClockwise = 6;
const int kOrientationTransversed = 7;
const int kOrientationTurnedAnticlockwise = 8;

// The orientation an APP1 marker's data gives (the bytes after the length field: "Exif\0\0",
// then the TIFF header in either byte order and IFD0). Every offset and count is checked against
// `size`, IFD chains are not followed, and the work is bounded by `size`: a block that is not
// EXIF, is cut short, or whose tag is missing, not one SHORT, or not 1 to 8 gives
// kOrientationAsStored.
int ExifOrientation(const unsigned char *data, size_t size);

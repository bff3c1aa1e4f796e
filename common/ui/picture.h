// Loading a picture file into a device bitmap for the display.
// Windows only; the portable choice of reader lives in picturefile.h.
#pragma once

#include <windows.h>

#include <atomic>

#include "packedbitmap.h"

// Tests that the file exists, reads it with the reader its content (else its name) selects or
// the system's decoders (ReadAnyPicture), makes a display bitmap of it and frees the packed
// block; a JPEG picture and one the system decodes go straight into their display bitmap (a
// DIB section). Null when the file is
// missing, cannot be read, or the display refuses the bitmap. The caller owns the result. A
// set cancel flag stops the reading and gives null.
// With a fit, the picture may come reduced, and its own size is reported (PictureFit).
HBITMAP LoadPicture(const char *path, const std::atomic<bool> *cancel = nullptr,
                    PictureFit *fit = nullptr);

// A display bitmap carrying the block's pixels: a DIB section of its rows as they are, or for
// run-length rows and 12-byte headers a display-compatible device bitmap. Null for a null
// block, a block that does not hold its whole header, colour table and rows, or one the
// display refuses. Does not free the block.
HBITMAP PackedBitmapToDevice(PackedBitmap bitmap);

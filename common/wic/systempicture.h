// Reading any picture file on Windows: the package's own readers for the formats its first
// bytes show (picturefile.h), the system's decoders (wicreader.h) for a file whose first bytes
// show none of them, and the own reader its name says when the system has no decoder either.
// Every program reads pictures through here: the viewer and the saver (LoadPicture), the
// wallpaper and lumora-convert.
#pragma once

#include <atomic>

#include "packedbitmap.h"

// Reads the picture. With a target, a reader that decodes into given rows (JPEG, the system's
// decoders) decodes into the target's rows and *packed stays null; every other reader, and
// every reader without a target, gives a packed bitmap in *packed (null when not read), which
// the caller frees with GlobalFree; what the target allocated the caller frees too. True when
// the whole picture was read. Cancelling and fits as for each reader.
bool ReadAnyPicture(const char *path, PictureRowsTarget target, void *context, PackedBitmap *packed,
                    const std::atomic<bool> *cancel = nullptr, PictureFit *fit = nullptr);

// ReadAnyPicture into a packed bitmap: null when the picture could not be read.
PackedBitmap ReadAnyPictureFile(const char *path, const std::atomic<bool> *cancel = nullptr,
                                PictureFit *fit = nullptr);

// Pictures that the system decodes, through the Windows Imaging Component (windowscodecs): TIFF,
// ICO, JPEG XR, DDS and what the system's image extensions add (HEIC, AVIF, JPEG XL, camera
// RAW). The first frame becomes 24-bit blue-green-red bottom-up rows, alpha composited over
// black, upright as the picture's System.Photo.Orientation says (as for JPEG), and for a fit
// reduced by WIC's scaler, which hands the reduction to the decoder where the decoder can do
// it. Windows only.
#pragma once

#include <atomic>

#include "packedbitmap.h"

enum WicResult {
  kWicNoDecoder,  // the system has no decoder for the file (or cannot open it)
  kWicFailed,     // a decoder took the file but the picture could not be read, or was cancelled
  kWicDecoded,
};

// Decodes the file's first frame into the rows the target gives (a 40-byte header, 24 bits, no
// colour table; the target keeps what it allocates, the caller frees it whatever the result).
// The frame is refused before anything is decoded when it has more than kMaxWicSourcePixels
// pixels or its 24-bit rows would exceed kMaxPackedPixelBytes; the rows are copied out in
// batches with the cancel flag looked at between them. With a fit, the picture comes at the
// least size that still covers the fitted size (fitscale.h) and its own upright size is
// reported there (0 unless decoded). COM is set up on the calling thread for the call.
WicResult DecodeWicFile(const char *path, PictureRowsTarget target, void *context,
                        const std::atomic<bool> *cancel = nullptr, PictureFit *fit = nullptr);

// As DecodeWicFile, into a new packed bitmap (*bitmap; null unless decoded), which the caller
// frees with GlobalFree.
WicResult ReadWicFile(const char *path, PackedBitmap *bitmap,
                      const std::atomic<bool> *cancel = nullptr, PictureFit *fit = nullptr);

// The most pixels a frame may have for the system's decoder to be asked for it: the decoder
// may hold the whole frame at 4 bytes a pixel whatever the size shown.
const unsigned long long kMaxWicSourcePixels = kMaxPackedPixelBytes / 2;

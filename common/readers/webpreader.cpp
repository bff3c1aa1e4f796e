#include "webpreader.h"

#include <cmath>
#include <cstdlib>

#include <webp/decode.h>
#include <webp/demux.h>
#include "filecalls.h"
#include "fitscale.h"

namespace {

// The largest file read: its bytes are held whole while the picture is decoded.
const DWORD kMaxWebpFileBytes = kMaxPackedPixelBytes;

// The data is handed to the incremental decoder this much at a time; the cancel flag is
// looked at between pieces.
const size_t kFeedBytes = 128 * 1024;

// An 8-bit sample over black: c * a / 255, rounded.
inline BYTE Over(unsigned c, unsigned a) {
  const unsigned t = c * a + 128;
  return (BYTE)((t + (t >> 8)) >> 8);
}

// Everything one read holds, released on every way out.
struct WebpRead {
  BYTE *data = nullptr;
  size_t size = 0;
  WebPDemuxer *demux = nullptr;
  WebPIterator frame = {};
  bool haveFrame = false;
  WebPIDecoder *decoder = nullptr;
  PackedBitmap bitmap = nullptr;

  ~WebpRead() {
    if (decoder) WebPIDelete(decoder);
    if (haveFrame) WebPDemuxReleaseIterator(&frame);
    if (demux) WebPDemuxDelete(demux);
    free(data);
    if (bitmap) GlobalFree(bitmap);
  }
};

bool ReadWholeFile(WebpRead *webp, const char *path) {
  const HFILE file = OpenPath(path, OF_READ);
  if (file == HFILE_ERROR) return false;
  const LONG end = _llseek(file, 0, FILE_END);
  bool whole = false;
  if (end > 0 && (DWORD)end <= kMaxWebpFileBytes && _llseek(file, 0, FILE_BEGIN) == 0) {
    webp->data = static_cast<BYTE *>(malloc((size_t)end));
    if (webp->data) {
      webp->size = (size_t)end;
      whole = _lread(file, webp->data, (UINT)end) == (UINT)end;
    }
  }
  _lclose(file);
  return whole;
}

// Where the first frame goes in the picture as decoded: left, top (from the top), width and
// height, scaled as the picture is.
struct FramePlace {
  LONG left, top, width, height;
};

FramePlace PlaceFrame(const WebPIterator &frame, double scale, LONG outWidth, LONG outHeight) {
  if (scale >= 1) return FramePlace{frame.x_offset, frame.y_offset, frame.width, frame.height};
  FramePlace place;
  place.left = (LONG)std::floor(frame.x_offset * scale + 1e-9);
  place.top = (LONG)std::floor(frame.y_offset * scale + 1e-9);
  LONG right, bottom;
  ScaledSize(frame.x_offset + frame.width, frame.y_offset + frame.height, scale, &right, &bottom);
  if (right > outWidth) right = outWidth;
  if (bottom > outHeight) bottom = outHeight;
  if (place.left >= right) place.left = right - 1;
  if (place.top >= bottom) place.top = bottom - 1;
  place.width = right - place.left;
  place.height = bottom - place.top;
  return place;
}

// Feeds the frame's data to libwebp's incremental decoder piece by piece. False on any error,
// when the data ends before the picture does, and when cancelled.
bool DecodeIncrementally(WebpRead *webp, WebPDecoderConfig *config,
                         const std::atomic<bool> *cancel) {
  webp->decoder = WebPIDecode(nullptr, 0, config);
  if (!webp->decoder) return false;
  const WebPData &data = webp->frame.fragment;
  for (size_t fed = 0;;) {
    if (ReadCancelled(cancel)) return false;
    fed = data.size - fed < kFeedBytes ? data.size : fed + kFeedBytes;
    const VP8StatusCode status = WebPIUpdate(webp->decoder, data.bytes, fed);
    if (status == VP8_STATUS_OK) return true;
    if (status != VP8_STATUS_SUSPENDED || fed == data.size) return false;
  }
}

// Blue, green, red and alpha over black, in place within the frame; the fourth byte is 0.
bool CompositeOverBlack(BYTE *pixels, size_t rowBytes, LONG outHeight, const FramePlace &place,
                        const std::atomic<bool> *cancel) {
  for (LONG y = 0; y < place.height; y++) {
    if (y % kRowsPerCancelCheck == 0 && ReadCancelled(cancel)) return false;
    BYTE *p = pixels + (size_t)(outHeight - 1 - place.top - y) * rowBytes + (size_t)place.left * 4;
    for (LONG x = 0; x < place.width; x++, p += 4) {
      const unsigned alpha = p[3];
      p[0] = Over(p[0], alpha);
      p[1] = Over(p[1], alpha);
      p[2] = Over(p[2], alpha);
      p[3] = 0;
    }
  }
  return true;
}

bool Read(WebpRead *webp, const char *path, const std::atomic<bool> *cancel, PictureFit *fit) {
  if (!ReadWholeFile(webp, path)) return false;
  const WebPData data = {webp->data, webp->size};
  webp->demux = WebPDemux(&data);
  if (!webp->demux) return false;
  const LONG width = (LONG)WebPDemuxGetI(webp->demux, WEBP_FF_CANVAS_WIDTH);
  const LONG height = (LONG)WebPDemuxGetI(webp->demux, WEBP_FF_CANVAS_HEIGHT);
  const DWORD fullRow = PackedRowBytes(width, 24);
  if (fullRow == 0 || height <= 0 ||
      (unsigned long long)fullRow * (unsigned long long)height > kMaxPackedPixelBytes)
    return false;
  webp->haveFrame = WebPDemuxGetFrame(webp->demux, 1, &webp->frame) != 0;
  if (!webp->haveFrame) return false;
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config) ||
      WebPGetFeatures(webp->frame.fragment.bytes, webp->frame.fragment.size, &config.input) !=
          VP8_STATUS_OK ||
      config.input.width != webp->frame.width || config.input.height != webp->frame.height)
    return false;
  const bool alpha = config.input.has_alpha != 0;
  const int bits = alpha ? 32 : 24;

  const double scale = FitCoverScale(fit, width, height);
  LONG outWidth = width, outHeight = height;
  if (scale < 1) ScaledSize(width, height, scale, &outWidth, &outHeight);
  if (fit) {
    fit->fullWidth = width;
    fit->fullHeight = height;
  }
  webp->bitmap = AllocPackedBitmap(outWidth, outHeight, bits, 0);
  if (!webp->bitmap) return false;
  const size_t rowBytes = PackedRowBytes(outWidth, bits), pixelBytes = (size_t)bits / 8;
  const FramePlace place = PlaceFrame(webp->frame, scale, outWidth, outHeight);

  // The frame's rectangle of the bottom-up rows, which libwebp fills from the bottom row up
  // (flip).
  BYTE *const pixels = PackedBitmapPixels(webp->bitmap);
  WebPRGBABuffer &out = config.output.u.RGBA;
  config.output.colorspace = alpha ? MODE_BGRA : MODE_BGR;
  config.output.is_external_memory = 1;
  out.rgba = pixels + (size_t)(outHeight - place.top - place.height) * rowBytes +
             (size_t)place.left * pixelBytes;
  out.stride = (int)rowBytes;
  out.size = (size_t)(place.height - 1) * rowBytes + (size_t)place.width * pixelBytes;
  config.options.flip = 1;
  if (place.width != webp->frame.width || place.height != webp->frame.height) {
    config.options.use_scaling = 1;
    config.options.scaled_width = place.width;
    config.options.scaled_height = place.height;
  }
  if (!DecodeIncrementally(webp, &config, cancel)) return false;
  return !alpha || CompositeOverBlack(pixels, rowBytes, outHeight, place, cancel);
}

}  // namespace

PackedBitmap ReadWebpFile(const char *path, const std::atomic<bool> *cancel, PictureFit *fit) {
  WebpRead webp;
  PackedBitmap bitmap = nullptr;
  if (Read(&webp, path, cancel, fit)) {
    bitmap = webp.bitmap;
    webp.bitmap = nullptr;
  }
  if (!bitmap && fit) fit->fullWidth = fit->fullHeight = 0;
  return bitmap;
}

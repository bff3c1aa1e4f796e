#include "wicreader.h"

#include <windows.h>

#include <propidl.h>
#include <wincodec.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "exiforientation.h"
#include "fitscale.h"
#include "path.h"
#include "turnbitmap.h"

namespace {

// Rows copied out of WIC per call; the cancel flag is looked at between calls. A band of such
// batches (at most kBandRows rows and about kBandBytes) is then turned into place at once.
const UINT kRowsPerBatch = kRowsPerCancelCheck;
const UINT kBandRows = 256;
const size_t kBandBytes = 4 * 1024 * 1024;

// Where the orientation may be asked for: the system's name for it first, then the EXIF tag
// (274) in a JPEG's APP1 block and in a TIFF's first IFD, for decoders that know no names.
const wchar_t *const kOrientationQueries[] = {
    L"System.Photo.Orientation",
    L"/app1/ifd/{ushort=274}",
    L"/ifd/{ushort=274}",
};

// One COM reference, released at the end of its scope.
template <class T>
struct ComRef {
  T *p = nullptr;
  ComRef() = default;
  ComRef(const ComRef &) = delete;
  ComRef &operator=(const ComRef &) = delete;
  ~ComRef() {
    if (p) p->Release();
  }
  T *operator->() const { return p; }
  T **out() { return &p; }
};

// COM on this thread for one read. A thread whose apartment is already set keeps it (the
// factory works in either kind).
struct ComUse {
  HRESULT hr;
  ComUse() : hr(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~ComUse() {
    if (SUCCEEDED(hr)) CoUninitialize();
  }
  bool usable() const { return SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE; }
};

// The frame's orientation (1 to 8), or kOrientationAsStored when its metadata gives none.
int FrameOrientation(IWICBitmapFrameDecode *frame) {
  ComRef<IWICMetadataQueryReader> query;
  if (FAILED(frame->GetMetadataQueryReader(query.out())) || !query.p) return kOrientationAsStored;
  for (const wchar_t *name : kOrientationQueries) {
    PROPVARIANT value;
    PropVariantInit(&value);
    if (FAILED(query->GetMetadataByName(name, &value))) continue;
    long orientation = 0;
    switch (value.vt) {
      case VT_UI2: orientation = value.uiVal; break;
      case VT_I2: orientation = value.iVal; break;
      case VT_UI4: orientation = (long)value.ulVal; break;
      case VT_I4: orientation = value.lVal; break;
      default: break;
    }
    PropVariantClear(&value);
    if (orientation >= kOrientationAsStored && orientation <= kOrientationTurnedAnticlockwise)
      return (int)orientation;
  }
  return kOrientationAsStored;
}

// An 8-bit sample over black: c * a / 255, rounded.
inline BYTE Over(unsigned c, unsigned a) {
  const unsigned t = c * a + 128;
  return (BYTE)((t + (t >> 8)) >> 8);
}

// Turns `width` blue-green-red-alpha pixels into blue-green-red ones over black, in place.
void CompositeRow(BYTE *row, UINT width) {
  const BYTE *in = row;
  BYTE *out = row;
  for (UINT x = 0; x < width; x++, in += 4, out += 3) {
    const unsigned a = in[3];
    const BYTE b = Over(in[0], a), g = Over(in[1], a), r = Over(in[2], a);
    out[0] = b;
    out[1] = g;
    out[2] = r;
  }
}

// Everything one decoding holds, released on every way out.
struct WicRead {
  ComRef<IWICImagingFactory> factory;
  ComRef<IWICBitmapDecoder> decoder;
  ComRef<IWICBitmapFrameDecode> frame;
  ComRef<IWICBitmapScaler> scaler;
  ComRef<IWICFormatConverter> converter;
  BYTE *band = nullptr;
  ~WicRead() { free(band); }
};

WicResult Decode(WicRead *wic, const char *path, PictureRowsTarget target, void *context,
                 const std::atomic<bool> *cancel, PictureFit *fit) {
  const std::wstring wide = WidePath(path);
  if (wide.empty()) return kWicNoDecoder;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory,
                              reinterpret_cast<void **>(wic->factory.out()))))
    return kWicNoDecoder;
  if (FAILED(wic->factory->CreateDecoderFromFilename(
          wide.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, wic->decoder.out())))
    return kWicNoDecoder;
  if (FAILED(wic->decoder->GetFrame(0, wic->frame.out()))) return kWicFailed;
  UINT width = 0, height = 0;
  if (FAILED(wic->frame->GetSize(&width, &height)) || width == 0 || height == 0 ||
      width > 0x7FFFFFFF || height > 0x7FFFFFFF ||
      (unsigned long long)width * height > kMaxWicSourcePixels)
    return kWicFailed;

  const int orientation = FrameOrientation(wic->frame.p);
  const bool sideways = orientation >= kOrientationTransposed;
  const LONG uprightWidth = (LONG)(sideways ? height : width);
  const LONG uprightHeight = (LONG)(sideways ? width : height);
  LONG outWidth = uprightWidth, outHeight = uprightHeight;
  const double scale = FitCoverScale(fit, uprightWidth, uprightHeight);
  if (scale < 1) ScaledSize(uprightWidth, uprightHeight, scale, &outWidth, &outHeight);
  const DWORD rowBytes = PackedRowBytes(outWidth, 24);
  if (rowBytes == 0 || (unsigned long long)rowBytes * outHeight > kMaxPackedPixelBytes)
    return kWicFailed;
  // The stored picture as it comes out of WIC, before turning.
  const UINT storedWidth = (UINT)(sideways ? outHeight : outWidth);
  const UINT storedHeight = (UINT)(sideways ? outWidth : outHeight);

  // Scaler first, right on the frame, so that a decoder that reduces natively does it.
  IWICBitmapSource *source = wic->frame.p;
  if (storedWidth != width || storedHeight != height) {
    if (FAILED(wic->factory->CreateBitmapScaler(wic->scaler.out())) ||
        FAILED(wic->scaler->Initialize(source, storedWidth, storedHeight,
                                       WICBitmapInterpolationModeFant)))
      return kWicFailed;
    source = wic->scaler.p;
  }
  if (FAILED(wic->factory->CreateFormatConverter(wic->converter.out())) ||
      FAILED(wic->converter->Initialize(source, GUID_WICPixelFormat32bppBGRA,
                                        WICBitmapDitherTypeNone, nullptr, 0.0,
                                        WICBitmapPaletteTypeCustom)))
    return kWicFailed;

  BITMAPINFOHEADER info = {};
  info.biSize = kInfoHeaderSize;
  info.biWidth = outWidth;
  info.biHeight = outHeight;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  BYTE *const pixels = target(reinterpret_cast<const BITMAPINFO *>(&info), context);
  if (!pixels) return kWicFailed;

  const size_t stride = (size_t)storedWidth * 4;
  size_t bandRows = kBandBytes / stride;
  if (bandRows > kBandRows) bandRows = kBandRows;
  if (bandRows > storedHeight) bandRows = storedHeight;
  if (bandRows < 1) bandRows = 1;
  wic->band = static_cast<BYTE *>(malloc(bandRows * stride));
  if (!wic->band) return kWicFailed;
  const PixelRows upright = {pixels + (size_t)(outHeight - 1) * rowBytes, -(ptrdiff_t)rowBytes,
                             outWidth, outHeight};
  for (UINT bandTop = 0; bandTop < storedHeight;) {
    UINT bandHeight = storedHeight - bandTop;
    if (bandHeight > bandRows) bandHeight = (UINT)bandRows;
    for (UINT filled = 0; filled < bandHeight;) {
      if (ReadCancelled(cancel)) return kWicFailed;
      UINT count = bandHeight - filled;
      if (count > kRowsPerBatch) count = kRowsPerBatch;
      BYTE *const rows = wic->band + filled * stride;
      const WICRect rect = {0, (INT)(bandTop + filled), (INT)storedWidth, (INT)count};
      if (FAILED(wic->converter->CopyPixels(&rect, (UINT)stride, (UINT)(count * stride), rows)))
        return kWicFailed;
      for (UINT i = 0; i < count; i++) CompositeRow(rows + i * stride, storedWidth);
      filled += count;
    }
    const PixelRows stored = {wic->band, (ptrdiff_t)stride, (LONG)storedWidth, (LONG)bandHeight};
    TurnRows(stored, (LONG)bandTop, (LONG)storedHeight, 3, orientation, upright);
    bandTop += bandHeight;
  }
  if (fit) {
    fit->fullWidth = uprightWidth;
    fit->fullHeight = uprightHeight;
  }
  return kWicDecoded;
}

// ReadWicFile's target: a packed bitmap with the header.
BYTE *PackedRows(const BITMAPINFO *info, void *context) {
  const BITMAPINFOHEADER &header = info->bmiHeader;
  PackedBitmap bitmap = AllocPackedBitmap(header.biWidth, header.biHeight, header.biBitCount, 0);
  if (!bitmap) return nullptr;
  *static_cast<PackedBitmap *>(context) = bitmap;
  return PackedBitmapPixels(bitmap);
}

}  // namespace

WicResult DecodeWicFile(const char *path, PictureRowsTarget target, void *context,
                        const std::atomic<bool> *cancel, PictureFit *fit) {
  if (fit) fit->fullWidth = fit->fullHeight = 0;
  ComUse com;
  if (!path || !com.usable()) return kWicNoDecoder;
  WicRead wic;  // released before COM goes
  return Decode(&wic, path, target, context, cancel, fit);
}

WicResult ReadWicFile(const char *path, PackedBitmap *bitmap, const std::atomic<bool> *cancel,
                      PictureFit *fit) {
  PackedBitmap picture = nullptr;
  const WicResult result = DecodeWicFile(path, PackedRows, &picture, cancel, fit);
  if (result != kWicDecoded && picture) {
    GlobalFree(picture);
    picture = nullptr;
  }
  *bitmap = picture;
  return result;
}

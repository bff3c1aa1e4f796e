#include "picturefile.h"

#include "bmpreader.h"
#include "gifreader.h"
#include "jpegreader.h"
#include "pcxreader.h"

namespace {

// True when the path is at least as long as the suffix and ends in it, in any case.
bool EndsWith(const char *path, const char *suffix) {
  const int length = lstrlenA(path), suffixLength = lstrlenA(suffix);
  return length >= suffixLength && lstrcmpiA(path + length - suffixLength, suffix) == 0;
}

}  // namespace

PictureFormat PictureFormatOfName(const char *path) {
  if (EndsWith(path, ".JPG") || EndsWith(path, ".JPEG")) return kPictureJpeg;
  if (EndsWith(path, ".GIF")) return kPictureGif;
  if (EndsWith(path, ".PCX")) return kPicturePcx;
  return kPictureBmp;
}

PackedBitmap ReadPictureFile(const char *path, const std::atomic<bool> *cancel, PictureFit *fit) {
  PackedBitmap bitmap;
  switch (PictureFormatOfName(path)) {
    case kPictureJpeg: return ReadJpegFile(path, cancel, fit);
    case kPictureGif: bitmap = ReadGifFile(path, cancel); break;
    case kPicturePcx: bitmap = ReadPcxFile(path, cancel); break;
    default: bitmap = ReadBmpFile(path, cancel); break;
  }
  if (fit) {
    const BITMAPINFOHEADER *info = static_cast<const BITMAPINFOHEADER *>(bitmap);
    const bool core = info && info->biSize == kCoreHeaderSize;
    const BITMAPCOREHEADER *old = static_cast<const BITMAPCOREHEADER *>(bitmap);
    fit->fullWidth = !info ? 0 : core ? old->bcWidth : info->biWidth;
    fit->fullHeight = !info                ? 0
                      : core               ? old->bcHeight
                      : info->biHeight < 0 ? -info->biHeight
                                           : info->biHeight;
  }
  return bitmap;
}

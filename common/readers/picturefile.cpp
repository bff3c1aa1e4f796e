#include "picturefile.h"

#include "bmpreader.h"
#include "gifreader.h"
#include "jpegreader.h"
#include "path.h"
#include "pcxreader.h"
#include "pngreader.h"
#include "webpreader.h"

PictureFormat PictureFormatOfName(const char *path) {
  if (HasExtension(path, ".JPG") || HasExtension(path, ".JPEG")) return kPictureJpeg;
  if (HasExtension(path, ".GIF")) return kPictureGif;
  if (HasExtension(path, ".PCX")) return kPicturePcx;
  if (HasExtension(path, ".PNG")) return kPicturePng;
  if (HasExtension(path, ".WEBP")) return kPictureWebp;
  return kPictureBmp;
}

PackedBitmap ReadPictureFile(const char *path, const std::atomic<bool> *cancel, PictureFit *fit) {
  PackedBitmap bitmap;
  switch (PictureFormatOfName(path)) {
    case kPictureJpeg: return ReadJpegFile(path, cancel, fit);
    case kPicturePng: return ReadPngFile(path, cancel, fit);
    case kPictureWebp: return ReadWebpFile(path, cancel, fit);
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

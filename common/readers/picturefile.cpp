#include "picturefile.h"

#include <cstring>

#include "bmpreader.h"
#include "filecalls.h"
#include "gifreader.h"
#include "jpegreader.h"
#include "path.h"
#include "pcxreader.h"
#include "pngreader.h"
#include "webpreader.h"

namespace {

const BYTE kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
const BYTE kJpegStart[3] = {0xFF, 0xD8, 0xFF};
const BYTE kPcxManufacturer = 0x0A;
const BYTE kPcxEncodingRle = 1;

bool Starts(const BYTE *head, size_t size, const void *signature, size_t length,
            size_t offset = 0) {
  return size >= offset + length && memcmp(head + offset, signature, length) == 0;
}

bool IsPcxVersion(BYTE version) {
  return version == 0 || (version >= 2 && version <= 5);
}

}  // namespace

PictureFormat PictureFormatOfName(const char *path) {
  if (HasExtension(path, ".JPG") || HasExtension(path, ".JPEG")) return kPictureJpeg;
  if (HasExtension(path, ".GIF")) return kPictureGif;
  if (HasExtension(path, ".PCX")) return kPicturePcx;
  if (HasExtension(path, ".PNG")) return kPicturePng;
  if (HasExtension(path, ".WEBP")) return kPictureWebp;
  return kPictureBmp;
}

bool PictureFormatOfContent(const BYTE *head, size_t size, PictureFormat *format) {
  if (Starts(head, size, "BM", 2))
    *format = kPictureBmp;
  else if (Starts(head, size, "GIF8", 4))
    *format = kPictureGif;
  else if (Starts(head, size, kJpegStart, sizeof kJpegStart))
    *format = kPictureJpeg;
  else if (Starts(head, size, kPngSignature, sizeof kPngSignature))
    *format = kPicturePng;
  else if (Starts(head, size, "RIFF", 4) && Starts(head, size, "WEBP", 4, 8))
    *format = kPictureWebp;
  else if (size >= 3 && head[0] == kPcxManufacturer && IsPcxVersion(head[1]) &&
           head[2] == kPcxEncodingRle)
    *format = kPicturePcx;
  else
    return false;
  return true;
}

bool PictureFormatOfFileContent(const char *path, PictureFormat *format) {
  const HFILE file = OpenPath(path, OF_READ);
  if (file == HFILE_ERROR) return false;
  BYTE head[kPictureSignatureBytes];
  const UINT got = _lread(file, head, sizeof head);
  _lclose(file);
  return got != (UINT)HFILE_ERROR && PictureFormatOfContent(head, got, format);
}

PictureFormat PictureFormatOfFile(const char *path) {
  PictureFormat format;
  return PictureFormatOfFileContent(path, &format) ? format : PictureFormatOfName(path);
}

PackedBitmap ReadPictureAs(PictureFormat format, const char *path, const std::atomic<bool> *cancel,
                           PictureFit *fit) {
  PackedBitmap bitmap;
  switch (format) {
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

PackedBitmap ReadPictureFile(const char *path, const std::atomic<bool> *cancel, PictureFit *fit) {
  return ReadPictureAs(PictureFormatOfFile(path), path, cancel, fit);
}

#include "systempicture.h"

#include "jpegreader.h"
#include "picturefile.h"
#include "wicreader.h"

bool ReadAnyPicture(const char *path, PictureRowsTarget target, void *context, PackedBitmap *packed,
                    const std::atomic<bool> *cancel, PictureFit *fit) {
  *packed = nullptr;
  PictureFormat format;
  if (!PictureFormatOfFileContent(path, &format)) {
    const WicResult result = target ? DecodeWicFile(path, target, context, cancel, fit)
                                    : ReadWicFile(path, packed, cancel, fit);
    if (result != kWicNoDecoder) return result == kWicDecoded;
    format = PictureFormatOfName(path);
  }
  if (target && format == kPictureJpeg) return DecodeJpegFile(path, target, context, cancel, fit);
  *packed = ReadPictureAs(format, path, cancel, fit);
  return *packed != nullptr;
}

PackedBitmap ReadAnyPictureFile(const char *path, const std::atomic<bool> *cancel,
                                PictureFit *fit) {
  PackedBitmap packed = nullptr;
  ReadAnyPicture(path, nullptr, nullptr, &packed, cancel, fit);
  return packed;
}

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

PackedBitmap ReadPictureFile(const char *path, const std::atomic<bool> *cancel) {
  switch (PictureFormatOfName(path)) {
    case kPictureJpeg: return ReadJpegFile(path, cancel);
    case kPictureGif: return ReadGifFile(path, cancel);
    case kPicturePcx: return ReadPcxFile(path, cancel);
    default: return ReadBmpFile(path, cancel);
  }
}

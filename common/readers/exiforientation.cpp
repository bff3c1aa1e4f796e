#include "exiforientation.h"

#include <cstring>

namespace {

const unsigned char kExifSignature[] = {'E', 'x', 'i', 'f', 0, 0};
const size_t kTiffHeaderSize = 8;
const size_t kEntrySize = 12;
const unsigned kOrientationTag = 0x0112;
const unsigned kShortType = 3;

// The TIFF block after the signature, read in its own byte order.
struct Tiff {
  const unsigned char *bytes;
  size_t size;
  bool bigEndian;

  unsigned Short(size_t at) const {
    return bigEndian ? (unsigned)bytes[at] << 8 | bytes[at + 1]
                     : (unsigned)bytes[at + 1] << 8 | bytes[at];
  }
  unsigned long Long(size_t at) const {
    return bigEndian ? (unsigned long)Short(at) << 16 | Short(at + 2)
                     : (unsigned long)Short(at + 2) << 16 | Short(at);
  }
};

}  // namespace

int ExifOrientation(const unsigned char *data, size_t size) {
  const size_t signature = sizeof kExifSignature;
  if (!data || size < signature + kTiffHeaderSize || memcmp(data, kExifSignature, signature) != 0)
    return kOrientationAsStored;
  Tiff tiff = {data + signature, size - signature, false};
  if (tiff.bytes[0] == 'M' && tiff.bytes[1] == 'M')
    tiff.bigEndian = true;
  else if (tiff.bytes[0] != 'I' || tiff.bytes[1] != 'I')
    return kOrientationAsStored;
  if (tiff.Short(2) != 42) return kOrientationAsStored;

  // IFD0: a count of entries, then the entries. Only entries wholly inside the block are
  // looked at; the offset to the next IFD is never read.
  const unsigned long ifd = tiff.Long(4);
  if (ifd < kTiffHeaderSize || ifd > tiff.size - 2) return kOrientationAsStored;
  const size_t inBlock = (tiff.size - (size_t)ifd - 2) / kEntrySize;
  size_t count = tiff.Short((size_t)ifd);
  if (count > inBlock) count = inBlock;
  for (size_t i = 0; i < count; i++) {
    const size_t entry = (size_t)ifd + 2 + i * kEntrySize;
    if (tiff.Short(entry) != kOrientationTag) continue;
    if (tiff.Short(entry + 2) != kShortType || tiff.Long(entry + 4) != 1)
      return kOrientationAsStored;
    const unsigned value = tiff.Short(entry + 8);  // a single SHORT sits in the value field
    return value >= kOrientationAsStored && value <= kOrientationTurnedAnticlockwise
               ? (int)value
               : kOrientationAsStored;
  }
  return kOrientationAsStored;
}

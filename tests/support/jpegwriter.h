// Writing and decoding JPEG files in tests with libjpeg itself, so that JPEG tests need no
// outside tools and run under Wine as well.
#pragma once

#include <string>
#include <vector>

struct JpegOptions {
  int components = 3;  // 1 grey, 3 colour (YCbCr in the file), 4 CMYK
  bool ycck = false;   // CMYK stored as YCCK (Adobe's transform 2)
  int quality = 90;
  bool progressive = false;
  bool halfChroma = true;  // colour: chroma at half the resolution both ways, else at full
  int densityUnit = 0;     // JFIF: 0 none, 1 dots per inch, 2 dots per centimetre
  int xDensity = 1;
  int yDensity = 1;
  // When not empty, the picture itself: rows top first, `components` samples per pixel.
  std::vector<unsigned char> samples = {};
  std::string exif = {};  // when not empty, the data of an APP1 marker written after the JFIF one
};

// The data of an APP1 EXIF block: "Exif\0\0", a TIFF header in the byte order asked for, and
// IFD0 with two SHORT entries, ResolutionUnit (2) and then Orientation, and no next IFD. Tests
// break it at these offsets into the block:
const size_t kExifIfdOffsetAt = 10;    // the TIFF header's offset of IFD0 (4 bytes)
const size_t kExifEntryCountAt = 14;   // IFD0's count of entries (2 bytes)
const size_t kExifOrientationAt = 28;  // the Orientation entry: tag, type, count, value
std::string ExifBlock(int orientation, bool bigEndian);

// The JPEG file with an APP1 marker of `data` (at most 65533 bytes) put right after its SOI
// marker, before every other marker.
std::string WithApp1(const std::string &jpeg, const std::string &data);

// Stores `value` in `bytes` bytes at `at`, in the block's byte order.
void PutExifNumber(std::string &block, size_t at, unsigned long value, int bytes);

// A JPEG file of a width x height picture: options.samples, or a pattern of its own.
std::string MakeJpeg(int width, int height, const JpegOptions &options = JpegOptions());

// libjpeg's decoding of a JPEG file with default parameters: top row first, output
// components per pixel (RGB or grey). Empty when libjpeg refuses it.
struct DecodedJpeg {
  int width = 0;
  int height = 0;
  int components = 0;
  std::vector<unsigned char> samples;
};
DecodedJpeg DecodeJpeg(const std::string &bytes);
// The same from a file, read with libjpeg's stdio source: the reference the benchmarks hold
// the readers against.
DecodedJpeg DecodeJpegFromFile(const std::string &path);

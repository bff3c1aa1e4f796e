// Writing and decoding JPEG files in tests with libjpeg itself, so that JPEG tests need no
// outside tools and run under Wine as well.
#pragma once

#include <string>
#include <vector>

struct JpegOptions {
  int components = 3;  // 1 grey, 3 colour (YCbCr in the file), 4 CMYK
  int quality = 90;
  bool progressive = false;
  int densityUnit = 0;  // JFIF: 0 none, 1 dots per inch, 2 dots per centimetre
  int xDensity = 1;
  int yDensity = 1;
};

// A JPEG file of a width x height picture with a pattern of its own.
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

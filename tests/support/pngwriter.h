// Writing PNG files in tests and benchmarks with libspng's own encoder, so that PNG tests need
// no outside tools and run under Wine as well.
#pragma once

#include <string>
#include <vector>

struct PngOptions {
  int colorType = 2;  // 0 grey, 2 RGB, 3 palette, 4 grey with alpha, 6 RGBA
  int bitDepth = 8;   // 1, 2, 4, 8 or 16, as the colour type allows
  bool interlaced = false;
  std::vector<unsigned> palette = {};  // red, green, blue of each entry
  // The tRNS chunk when not empty: the entries' alphas (palette), or the transparent grey
  // value or red, green, blue (grey, RGB), in the picture's depth.
  std::vector<unsigned> trns = {};
  int compressionLevel = 6;
};

// A PNG file of width x height from `samples`: rows top first, each pixel's samples in the
// colour type's order, one value each in the picture's depth.
std::string MakePng(int width, int height, const std::vector<unsigned> &samples,
                    const PngOptions &options = PngOptions());

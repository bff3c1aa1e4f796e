// Writing GIF files for tests, with every part of the format under the test's control: the
// version, colour tables, extensions, interlacing, and how the LZW data is coded and split.
#pragma once

#include <string>
#include <utility>
#include <vector>

// How the image data is coded.
struct LzwOptions {
  bool clearFirst = true;     // begin with a clear code
  bool endCode = true;        // finish with the end code
  bool clearWhenFull = true;  // a clear code when the table fills; otherwise code on (deferred)
  int blockSize = 255;        // bytes per data sub-block
  bool terminator = true;     // the empty sub-block after the data
};

// 3 x colors bytes of red, green, blue; entry i is a colour of its own for every i.
std::string GifColorTable(int colors);

// Signature and version ("87a", "89a", ...) and the logical screen descriptor, followed by a
// global colour table of globalColors entries (2 to 256), or none when it is 0.
std::string GifHeader(const std::string &version, int width, int height, int globalColors);

// An image descriptor with a local colour table of localColors entries (or none for 0).
std::string GifImageDescriptor(int width, int height, int localColors, bool interlaced);

// An extension block: introducer, label, the payload in sub-blocks, terminator.
std::string GifExtension(int label, const std::string &payload);

// The image data: the minimum code size byte and the LZW codes of the pixels in sub-blocks.
std::string GifLzwData(const std::vector<unsigned char> &pixels, int minCodeSize,
                       const LzwOptions &options = LzwOptions());

// Image data from codes given one by one as (code, width) pairs, for data no encoder writes.
std::string GifRawCodes(int minCodeSize, const std::vector<std::pair<int, int>> &codes);

// The pixels in the order an interlaced image stores its rows (given top-down).
std::vector<unsigned char> InterlaceRows(const std::vector<unsigned char> &pixels, int width,
                                         int height);

// A whole single-image file: header with a global table of `colors` entries, the image
// (interlaced on request), the trailer. The minimum code size follows the colour count.
std::string MakeGif(int width, int height, int colors, const std::vector<unsigned char> &pixels,
                    bool interlaced = false, const std::string &version = "89a");

// The smallest minimum code size for the colour count (2 at least).
int MinCodeSizeFor(int colors);

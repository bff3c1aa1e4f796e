// Writing WebP files in tests and benchmarks with libwebp's own encoder, so that WebP tests
// need no outside tools and run under Wine as well.
#pragma once

#include <string>
#include <vector>

// A WebP file of width x height from blue-green-red-alpha samples, rows top first: lossless,
// or lossy at `quality` (0 to 100). The file carries alpha only when some alpha is below 255.
std::string MakeWebp(int width, int height, const std::vector<unsigned char> &bgra, bool lossless,
                     float quality = 75);

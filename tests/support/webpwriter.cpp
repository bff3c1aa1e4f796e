#include "webpwriter.h"

#include <webp/encode.h>

std::string MakeWebp(int width, int height, const std::vector<unsigned char> &bgra, bool lossless,
                     float quality) {
  uint8_t *bytes = nullptr;
  const size_t size = lossless
                          ? WebPEncodeLosslessBGRA(bgra.data(), width, height, width * 4, &bytes)
                          : WebPEncodeBGRA(bgra.data(), width, height, width * 4, quality, &bytes);
  std::string webp(reinterpret_cast<const char *>(bytes), size);
  WebPFree(bytes);
  return webp;
}

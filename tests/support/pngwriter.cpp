#include "pngwriter.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <spng.h>

namespace {

int ChannelsOf(int colorType) {
  switch (colorType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
  }
}

// The samples in libspng's SPNG_FMT_PNG layout: bits packed from the top of each byte below
// 8 bits, host-endian 16-bit samples, every row starting on a byte.
std::vector<unsigned char> PngLayout(int width, int height, const std::vector<unsigned> &samples,
                                     int channels, int depth) {
  const size_t perRow = (size_t)width * channels;
  const size_t rowBytes = (perRow * depth + 7) / 8;
  std::vector<unsigned char> image(rowBytes * height);
  for (int y = 0; y < height; y++) {
    unsigned char *row = image.data() + rowBytes * y;
    for (size_t i = 0; i < perRow; i++) {
      const unsigned value = samples[perRow * y + i];
      if (depth == 16) {
        const uint16_t wide = (uint16_t)value;
        memcpy(row + 2 * i, &wide, 2);
      } else if (depth == 8) {
        row[i] = (unsigned char)value;
      } else {
        const size_t bit = i * depth;
        row[bit / 8] |= (unsigned char)(value << (8 - depth - bit % 8));
      }
    }
  }
  return image;
}

}  // namespace

std::string MakePng(int width, int height, const std::vector<unsigned> &samples,
                    const PngOptions &options) {
  const int channels = ChannelsOf(options.colorType);
  std::vector<unsigned char> image = PngLayout(width, height, samples, channels, options.bitDepth);
  spng_ctx *ctx = spng_ctx_new(SPNG_CTX_ENCODER);
  spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
  spng_set_option(ctx, SPNG_IMG_COMPRESSION_LEVEL, options.compressionLevel);
  spng_ihdr ihdr = {};
  ihdr.width = (uint32_t)width;
  ihdr.height = (uint32_t)height;
  ihdr.bit_depth = (uint8_t)options.bitDepth;
  ihdr.color_type = (uint8_t)options.colorType;
  ihdr.interlace_method = options.interlaced ? SPNG_INTERLACE_ADAM7 : SPNG_INTERLACE_NONE;
  spng_set_ihdr(ctx, &ihdr);
  if (!options.palette.empty()) {
    spng_plte plte = {};
    plte.n_entries = (uint32_t)(options.palette.size() / 3);
    for (uint32_t i = 0; i < plte.n_entries; i++) {
      plte.entries[i].red = (uint8_t)options.palette[i * 3];
      plte.entries[i].green = (uint8_t)options.palette[i * 3 + 1];
      plte.entries[i].blue = (uint8_t)options.palette[i * 3 + 2];
    }
    spng_set_plte(ctx, &plte);
  }
  if (!options.trns.empty()) {
    spng_trns trns = {};
    const std::vector<unsigned> &t = options.trns;
    if (options.colorType == 3) {
      trns.n_type3_entries = (uint32_t)t.size();
      for (size_t i = 0; i < t.size(); i++) trns.type3_alpha[i] = (uint8_t)t[i];
    } else if (options.colorType == 0) {
      trns.gray = (uint16_t)t[0];
    } else {
      trns.red = (uint16_t)t[0];
      trns.green = (uint16_t)t[1];
      trns.blue = (uint16_t)t[2];
    }
    spng_set_trns(ctx, &trns);
  }
  std::string png;
  if (spng_encode_image(ctx, image.data(), image.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE) == 0) {
    size_t size = 0;
    int error = 0;
    void *bytes = spng_get_png_buffer(ctx, &size, &error);
    if (bytes && !error) png.assign(static_cast<const char *>(bytes), size);
    free(bytes);
  }
  spng_ctx_free(ctx);
  return png;
}

#include "jpegwriter.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

// clang-format off
#include "platform.h"
#include <jpeglib.h>
// clang-format on

namespace {

struct ErrorJump {
  jpeg_error_mgr pub;
  jmp_buf jump;
};

void JumpOnError(j_common_ptr cinfo) {
  longjmp(reinterpret_cast<ErrorJump *>(cinfo->err)->jump, 1);
}

void Silent(j_common_ptr, int) {}

}  // namespace

std::string MakeJpeg(int width, int height, const JpegOptions &options) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char *buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = (JDIMENSION)width;
  cinfo.image_height = (JDIMENSION)height;
  cinfo.input_components = options.components;
  cinfo.in_color_space = options.components == 1   ? JCS_GRAYSCALE
                         : options.components == 4 ? JCS_CMYK
                                                   : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, options.quality, TRUE);
  if (options.components == 4 && options.ycck) jpeg_set_colorspace(&cinfo, JCS_YCCK);
  if (options.progressive) jpeg_simple_progression(&cinfo);
  if (!options.halfChroma) cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = 1;
  cinfo.density_unit = (UINT8)options.densityUnit;
  cinfo.X_density = (UINT16)options.xDensity;
  cinfo.Y_density = (UINT16)options.yDensity;
  jpeg_start_compress(&cinfo, TRUE);
  if (!options.exif.empty())
    jpeg_write_marker(&cinfo, JPEG_APP0 + 1, reinterpret_cast<const JOCTET *>(options.exif.data()),
                      (unsigned)options.exif.size());
  std::vector<unsigned char> row((size_t)width * options.components);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = (int)cinfo.next_scanline;
    for (size_t i = 0; i < row.size(); i++)
      row[i] = (unsigned char)((i * 7 + (size_t)y * 13 + (i / options.components) * y) & 0xFF);
    if (options.samples.size() >= row.size() * height)
      std::copy_n(options.samples.begin() + (ptrdiff_t)(row.size() * y), row.size(), row.begin());
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string bytes(reinterpret_cast<char *>(buffer), size);
  free(buffer);
  return bytes;
}

void PutExifNumber(std::string &block, size_t at, unsigned long value, int bytes) {
  const bool bigEndian = block[6] == 'M';
  for (int i = 0; i < bytes; i++)
    block[at + (bigEndian ? bytes - 1 - i : i)] = (char)(value >> (8 * i) & 0xFF);
}

std::string WithApp1(const std::string &jpeg, const std::string &data) {
  const size_t length = data.size() + 2;
  return jpeg.substr(0, 2) + "\xFF\xE1" + (char)(length >> 8) + (char)(length & 0xFF) + data +
         jpeg.substr(2);
}

std::string ExifBlock(int orientation, bool bigEndian) {
  std::string block("Exif\0\0", 6);
  block += bigEndian ? "MM" : "II";
  block.resize(44);
  PutExifNumber(block, 8, 42, 2);
  PutExifNumber(block, kExifIfdOffsetAt, 8, 4);
  PutExifNumber(block, kExifEntryCountAt, 2, 2);
  const unsigned long entries[2][4] = {{0x0128, 3, 1, 2},
                                       {0x0112, 3, 1, (unsigned long)orientation}};
  for (int i = 0; i < 2; i++) {
    const size_t at = kExifEntryCountAt + 2 + 12 * (size_t)i;
    PutExifNumber(block, at, entries[i][0], 2);
    PutExifNumber(block, at + 2, entries[i][1], 2);
    PutExifNumber(block, at + 4, entries[i][2], 4);
    PutExifNumber(block, at + 8, entries[i][3], 2);
  }
  return block;  // the next-IFD offset stays 0
}

namespace {

// libjpeg's decoding from the source that setSource gives it.
template <typename SetSource>
DecodedJpeg DecodeFrom(SetSource setSource) {
  DecodedJpeg out;
  jpeg_decompress_struct cinfo;
  ErrorJump err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = JumpOnError;
  err.pub.emit_message = Silent;
  jpeg_create_decompress(&cinfo);
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return DecodedJpeg();
  }
  setSource(&cinfo);
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  out.width = (int)cinfo.output_width;
  out.height = (int)cinfo.output_height;
  out.components = cinfo.output_components;
  out.samples.resize((size_t)out.width * out.height * out.components);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW rows[1] = {out.samples.data() +
                        (size_t)cinfo.output_scanline * out.width * out.components};
    jpeg_read_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return out;
}

}  // namespace

DecodedJpeg DecodeJpeg(const std::string &bytes) {
  return DecodeFrom([&](j_decompress_ptr cinfo) {
    jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char *>(bytes.data()),
                 (unsigned long)bytes.size());
  });
}

DecodedJpeg DecodeJpegFromFile(const std::string &path) {
  FILE *in = fopen(path.c_str(), "rb");
  if (!in) return DecodedJpeg();
  DecodedJpeg out = DecodeFrom([&](j_decompress_ptr cinfo) { jpeg_stdio_src(cinfo, in); });
  fclose(in);
  return out;
}

#include "bmpfilesink.h"

#include <cstring>

#include "packedbitmap.h"
// jpeglib.h (through bmpfilesink.h) first: jerror.h needs its types.
#include <jerror.h>

const char *const kBmpFileSinkMessages[] = {
    "Unsupported output colour space for a BMP file",
    "Picture too large to convert",
};

namespace {

const DWORD kFileHeaderSize = 14;
const DWORD kInfoHeaderSize = 40;
const int kGrayEntries = 256;
const int kDotsPerCentimetre = 2;  // JFIF density unit

void PutLittleEndian(BYTE *p, DWORD value, int bytes) {
  for (int i = 0; i < bytes; i++) p[i] = (BYTE)(value >> (8 * i));
}

void StartBmpFileSink(j_decompress_ptr, BmpFileSink *) {}

// The next row of the whole-image array, for writing; null once every row is filled.
JSAMPROW NextImageRow(j_decompress_ptr cinfo, BmpFileSink *sink) {
  if (sink->currentRow >= cinfo->output_height) return nullptr;
  JSAMPARRAY rows = (*cinfo->mem->access_virt_sarray)(reinterpret_cast<j_common_ptr>(cinfo),
                                                      sink->image, sink->currentRow, 1, TRUE);
  sink->currentRow++;
  return rows[0];
}

void StoreColorRows(j_decompress_ptr cinfo, BmpFileSink *sink, JDIMENSION rows) {
  for (JDIMENSION r = 0; r < rows; r++) {
    JSAMPROW out = NextImageRow(cinfo, sink);
    if (!out) return;
    const JSAMPLE *in = sink->rowBuffer[r];
    for (JDIMENSION x = 0; x < cinfo->output_width; x++, in += 3, out += 3) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
    memset(out, 0, sink->padBytes);
  }
}

void StoreIndexRows(j_decompress_ptr cinfo, BmpFileSink *sink, JDIMENSION rows) {
  for (JDIMENSION r = 0; r < rows; r++) {
    JSAMPROW out = NextImageRow(cinfo, sink);
    if (!out) return;
    memcpy(out, sink->rowBuffer[r], cinfo->output_width);
    memset(out + cinfo->output_width, 0, sink->padBytes);
  }
}

void WriteOrFail(j_decompress_ptr cinfo, FILE *output, const void *bytes, size_t count) {
  if (fwrite(bytes, 1, count, output) != count) ERREXIT(cinfo, JERR_FILE_WRITE);
}

// 256 entries of 4 bytes: entry i is i, i, i, 0.
void WriteGrayColorTable(j_decompress_ptr cinfo, BmpFileSink *sink) {
  BYTE table[kGrayEntries * 4];
  for (int i = 0; i < kGrayEntries; i++) {
    table[i * 4] = table[i * 4 + 1] = table[i * 4 + 2] = (BYTE)i;
    table[i * 4 + 3] = 0;
  }
  WriteOrFail(cinfo, sink->output, table, sizeof table);
}

void WriteBmpFileHeaders(j_decompress_ptr cinfo, BmpFileSink *sink) {
  const bool gray = cinfo->out_color_space == JCS_GRAYSCALE;
  const DWORD colors = gray ? kGrayEntries : 0;
  const DWORD headerSize = kFileHeaderSize + kInfoHeaderSize + colors * 4;
  LONG xPelsPerMeter = 0, yPelsPerMeter = 0;
  if (cinfo->density_unit == kDotsPerCentimetre) {
    xPelsPerMeter = (LONG)cinfo->X_density * 100;
    yPelsPerMeter = (LONG)cinfo->Y_density * 100;
  }

  BYTE file[kFileHeaderSize] = {'B', 'M'};
  PutLittleEndian(file + 2, headerSize + sink->rowWidth * cinfo->output_height, 4);
  PutLittleEndian(file + 10, headerSize, 4);

  BYTE info[kInfoHeaderSize] = {};
  PutLittleEndian(info + 0, kInfoHeaderSize, 4);
  PutLittleEndian(info + 4, cinfo->output_width, 4);
  PutLittleEndian(info + 8, cinfo->output_height, 4);
  PutLittleEndian(info + 12, 1, 2);
  PutLittleEndian(info + 14, gray ? 8 : 24, 2);
  PutLittleEndian(info + 24, (DWORD)xPelsPerMeter, 4);
  PutLittleEndian(info + 28, (DWORD)yPelsPerMeter, 4);
  PutLittleEndian(info + 32, colors, 4);

  WriteOrFail(cinfo, sink->output, file, sizeof file);
  WriteOrFail(cinfo, sink->output, info, sizeof info);
  if (colors) WriteGrayColorTable(cinfo, sink);
}

}  // namespace

BmpFileSink *CreateBmpFileSink(j_decompress_ptr cinfo) {
  j_common_ptr common = reinterpret_cast<j_common_ptr>(cinfo);
  BmpFileSink *sink = static_cast<BmpFileSink *>(
      (*cinfo->mem->alloc_small)(common, JPOOL_IMAGE, sizeof(BmpFileSink)));
  memset(sink, 0, sizeof *sink);
  sink->start = StartBmpFileSink;
  sink->finish = FinishBmpFileSink;
  switch (cinfo->out_color_space) {
    case JCS_GRAYSCALE: sink->storeRows = StoreIndexRows; break;
    case JCS_RGB: sink->storeRows = StoreColorRows; break;
    default: ERREXIT(cinfo, kJpegMsgBadColorSpace);
  }

  jpeg_calc_output_dimensions(cinfo);
  const unsigned long long dataWidth =
      (unsigned long long)cinfo->output_width * (unsigned)cinfo->output_components;
  const unsigned long long rowWidth = (dataWidth + 3) & ~3ull;
  if (dataWidth == 0 || cinfo->output_height == 0 ||
      rowWidth * cinfo->output_height > kMaxPackedPixelBytes)
    ERREXIT(cinfo, kJpegMsgTooLarge);
  sink->dataWidth = (JDIMENSION)dataWidth;
  sink->rowWidth = (JDIMENSION)rowWidth;
  sink->padBytes = sink->rowWidth - sink->dataWidth;

  sink->image = (*cinfo->mem->request_virt_sarray)(common, JPOOL_IMAGE, FALSE, sink->rowWidth,
                                                   cinfo->output_height, 1);
  sink->currentRow = 0;
  sink->rowBuffer = (*cinfo->mem->alloc_sarray)(common, JPOOL_IMAGE, sink->rowWidth, 1);
  sink->rowBufferHeight = 1;
  return sink;
}

void FinishBmpFileSink(j_decompress_ptr cinfo, BmpFileSink *sink) {
  WriteBmpFileHeaders(cinfo, sink);
  for (JDIMENSION row = cinfo->output_height; row-- > 0;) {
    JSAMPARRAY rows = (*cinfo->mem->access_virt_sarray)(reinterpret_cast<j_common_ptr>(cinfo),
                                                        sink->image, row, 1, FALSE);
    WriteOrFail(cinfo, sink->output, rows[0], sink->rowWidth);
  }
  if (fflush(sink->output) != 0 || ferror(sink->output)) ERREXIT(cinfo, JERR_FILE_WRITE);
}

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

const DWORD kFileHeaderSize = 14;  // BITMAPFILEHEADER; the info header is kInfoHeaderSize
const int kGrayEntries = 256;
const int kDotsPerCentimetre = 2;  // JFIF density unit

void PutLittleEndian(BYTE *p, DWORD value, int bytes) {
  for (int i = 0; i < bytes; i++) p[i] = (BYTE)(value >> (8 * i));
}

void StartBmpFileSink(j_decompress_ptr, BmpFileSink *) {}

void WriteOrFail(j_decompress_ptr cinfo, FILE *output, const void *bytes, size_t count) {
  if (fwrite(bytes, 1, count, output) != count) ERREXIT(cinfo, JERR_FILE_WRITE);
}

// Writes the rows collected in the batch to their place in the file and starts a new batch.
void WriteBatch(j_decompress_ptr cinfo, BmpFileSink *sink) {
  const JDIMENSION n = sink->batchFilled;
  if (n > 0) {
    // The batch holds picture rows currentRow - n to currentRow - 1, the last of them first.
    const JDIMENSION fromBottom = cinfo->output_height - sink->currentRow;
    if (fseek(sink->output, sink->headerSize + (long)fromBottom * (long)sink->rowWidth, SEEK_SET))
      ERREXIT(cinfo, JERR_FILE_WRITE);
    WriteOrFail(cinfo, sink->output, sink->batch + (size_t)(sink->batchHeight - n) * sink->rowWidth,
                (size_t)n * sink->rowWidth);
  }
  sink->batchFilled = 0;
  sink->rowBuffer = sink->batchRows;
  sink->rowBufferHeight = sink->batchHeight;
}

// Counts rows the decompressor has written into the batch; writes the batch when it is full
// or the picture complete.
void CollectRows(j_decompress_ptr cinfo, BmpFileSink *sink, JDIMENSION rows) {
  if (rows > sink->rowBufferHeight) rows = sink->rowBufferHeight;
  sink->batchFilled += rows;
  sink->currentRow += rows;
  sink->rowBuffer += rows;
  sink->rowBufferHeight -= rows;
  if (sink->rowBufferHeight == 0 || sink->currentRow >= cinfo->output_height)
    WriteBatch(cinfo, sink);
}

void StoreColorRows(j_decompress_ptr cinfo, BmpFileSink *sink, JDIMENSION rows) {
  for (JDIMENSION r = 0; r < rows && r < sink->rowBufferHeight; r++) {
    JSAMPROW row = sink->rowBuffer[r];
    for (JDIMENSION x = 0; x < sink->dataWidth; x += 3) {  // red, green, blue to blue, green, red
      const JSAMPLE red = row[x];
      row[x] = row[x + 2];
      row[x + 2] = red;
    }
  }
  CollectRows(cinfo, sink, rows);
}

// Rows already in file order of samples (grey, or blue-green-red from libjpeg's extended
// colour spaces).
void StoreIndexRows(j_decompress_ptr cinfo, BmpFileSink *sink, JDIMENSION rows) {
  CollectRows(cinfo, sink, rows);
}

void WriteBmpFileHeaders(j_decompress_ptr cinfo, BmpFileSink *sink) {
  const BITMAPINFOHEADER &info = sink->info;
  const DWORD headerSize = (DWORD)sink->headerSize;
  BYTE file[kFileHeaderSize] = {'B', 'M'};
  PutLittleEndian(file + 2, headerSize + sink->rowWidth * cinfo->output_height, 4);
  PutLittleEndian(file + 10, headerSize, 4);
  WriteOrFail(cinfo, sink->output, file, sizeof file);
  WriteOrFail(cinfo, sink->output, &info, sizeof info);
  if (info.biClrUsed) {
    BYTE table[kGrayEntries * 4];
    FillGrayTable(table);
    WriteOrFail(cinfo, sink->output, table, sizeof table);
  }
}

}  // namespace

BmpFileSink *CreateBmpFileSink(j_decompress_ptr cinfo) {
  j_common_ptr common = reinterpret_cast<j_common_ptr>(cinfo);
  BmpFileSink *sink = static_cast<BmpFileSink *>(
      (*cinfo->mem->alloc_small)(common, JPOOL_IMAGE, sizeof(BmpFileSink)));
  memset(sink, 0, sizeof *sink);
  sink->start = StartBmpFileSink;
  sink->finish = FinishBmpFileSink;
  BITMAPINFOHEADER &info = sink->info;
  DescribeJpegOutput(cinfo, &info);
  sink->storeRows = cinfo->out_color_space == JCS_RGB ? StoreColorRows : StoreIndexRows;
  const JDIMENSION dataWidth = cinfo->output_width * (JDIMENSION)cinfo->output_components;
  const JDIMENSION rowWidth = PackedRowBytes(info.biWidth, info.biBitCount);
  sink->dataWidth = dataWidth;
  sink->rowWidth = rowWidth;
  sink->padBytes = sink->rowWidth - sink->dataWidth;
  sink->headerSize = (long)(kFileHeaderSize + kInfoHeaderSize +
                            (cinfo->out_color_space == JCS_GRAYSCALE ? kGrayEntries * 4 : 0));
  sink->currentRow = 0;

  // The batch, zero-filled once: the decompressor never writes the pad bytes.
  JDIMENSION height = kBmpFileSinkBatchBytes / sink->rowWidth;
  if (height < 1) height = 1;
  if (height > cinfo->output_height) height = cinfo->output_height;
  const size_t bytes = (size_t)height * sink->rowWidth;
  sink->batch = static_cast<JSAMPLE *>((*cinfo->mem->alloc_large)(common, JPOOL_IMAGE, bytes));
  memset(sink->batch, 0, bytes);
  sink->batchRows = static_cast<JSAMPARRAY>(
      (*cinfo->mem->alloc_small)(common, JPOOL_IMAGE, height * sizeof(JSAMPROW)));
  for (JDIMENSION i = 0; i < height; i++)
    sink->batchRows[i] = sink->batch + (size_t)(height - 1 - i) * sink->rowWidth;
  sink->batchHeight = height;
  WriteBatch(cinfo, sink);  // nothing to write yet: sets up the row buffer
  return sink;
}

void FinishBmpFileSink(j_decompress_ptr cinfo, BmpFileSink *sink) {
  WriteBatch(cinfo, sink);
  if (fseek(sink->output, 0, SEEK_SET)) ERREXIT(cinfo, JERR_FILE_WRITE);
  WriteBmpFileHeaders(cinfo, sink);
  if (fflush(sink->output) != 0 || ferror(sink->output)) ERREXIT(cinfo, JERR_FILE_WRITE);
}

void DescribeJpegOutput(j_decompress_ptr cinfo, BITMAPINFOHEADER *info) {
#ifdef JCS_EXTENSIONS
  // libjpeg-turbo converts to blue-green-red itself, sparing a pass over every row.
  if (cinfo->out_color_space == JCS_RGB) cinfo->out_color_space = JCS_EXT_BGR;
#endif
  bool gray = false;
  switch (cinfo->out_color_space) {
    case JCS_GRAYSCALE: gray = true; break;
    case JCS_RGB: break;
#ifdef JCS_EXTENSIONS
    case JCS_EXT_BGR: break;
#endif
    default: ERREXIT(cinfo, kJpegMsgBadColorSpace);
  }
  jpeg_calc_output_dimensions(cinfo);
  const int bits = gray ? 8 : 24;
  const DWORD rowWidth =
      cinfo->output_width > 0x7FFFFFFF ? 0 : PackedRowBytes((LONG)cinfo->output_width, bits);
  if (rowWidth == 0 || cinfo->output_height == 0 ||
      (unsigned long long)rowWidth * cinfo->output_height > kMaxPackedPixelBytes)
    ERREXIT(cinfo, kJpegMsgTooLarge);

  memset(info, 0, sizeof *info);
  info->biSize = kInfoHeaderSize;
  info->biWidth = (LONG)cinfo->output_width;
  info->biHeight = (LONG)cinfo->output_height;
  info->biPlanes = 1;
  info->biBitCount = (WORD)bits;
  info->biCompression = BI_RGB;
  if (cinfo->density_unit == kDotsPerCentimetre) {
    info->biXPelsPerMeter = (LONG)cinfo->X_density * 100;
    info->biYPelsPerMeter = (LONG)cinfo->Y_density * 100;
  }
  info->biClrUsed = gray ? kGrayEntries : 0;
}

void FillGrayTable(BYTE *table) {
  for (int i = 0; i < kGrayEntries; i++) {
    table[i * 4] = table[i * 4 + 1] = table[i * 4 + 2] = (BYTE)i;
    table[i * 4 + 3] = 0;
  }
}

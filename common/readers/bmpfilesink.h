// BmpFileSink: the output module that writes libjpeg's decoded rows as an uncompressed BMP
// file (the wallpaper), and the BMP form of libjpeg's output that the JPEG reader also decodes
// into memory. BMP rows go bottom-up while the decompressor delivers them top-down, so each row is
// written straight to its own place in the file, and the headers, which make the file a BMP
// file, last. Colour output becomes 24 bits per pixel, blue-green-red; grey output 8 bits per
// pixel with a 256-entry grey colour table.
#pragma once

#include <cstdio>

#include "platform.h"
// platform.h first: libjpeg's headers take their integer types from <windows.h> when it is in.
#include <jpeglib.h>

struct BmpFileSink {
  void (*start)(j_decompress_ptr cinfo, BmpFileSink *sink);
  void (*storeRows)(j_decompress_ptr cinfo, BmpFileSink *sink, JDIMENSION rows);
  void (*finish)(j_decompress_ptr cinfo, BmpFileSink *sink);
  FILE *output;                // set by the caller after creation
  JSAMPARRAY rowBuffer;        // where the decompressor writes the next decoded rows
  JDIMENSION rowBufferHeight;  // rows it may write there
  JDIMENSION dataWidth;        // output width x output components
  JDIMENSION rowWidth;         // dataWidth rounded up to a multiple of 4
  JDIMENSION padBytes;         // rowWidth - dataWidth
  JDIMENSION currentRow;       // picture row (from the top) that the next decoded row is
  long headerSize;             // file offset of the pixel rows
  BITMAPINFOHEADER info;       // the file's info header
  // Consecutive rows are collected in one block in file order (the lowest picture row first)
  // and written with one call: batchRows[i] is the i-th row decoded into it.
  JSAMPLE *batch;
  JSAMPARRAY batchRows;
  JDIMENSION batchHeight;
  JDIMENSION batchFilled;
};

// Bytes of rows written to the file at a time.
const unsigned kBmpFileSinkBatchBytes = 256 * 1024;

// Message codes the sink raises through the error manager, beyond libjpeg's own table.
const int kJpegMsgBadColorSpace = 1005;  // output colour space neither grey nor RGB
const int kJpegMsgTooLarge = 1006;       // rows would exceed kMaxPackedPixelBytes
extern const char *const kBmpFileSinkMessages[];
const int kJpegFirstSinkMessage = kJpegMsgBadColorSpace;
const int kJpegLastSinkMessage = kJpegMsgTooLarge;

// Chooses the output colour space for a BMP picture (blue-green-red where libjpeg can give it,
// else red-green-blue; grey stays grey), works out the output dimensions and fills the info
// header a BMP file of the output carries: 24 bits per pixel for colour, 8 bits with a
// 256-entry grey table for grey, the density when given in dots per centimetre, no image size.
// For a decompression object whose header has been read and whose decompression has not
// started. Raises kJpegMsgBadColorSpace for an output colour space other than grey or RGB and
// kJpegMsgTooLarge for a picture beyond the packed-bitmap limit.
void DescribeJpegOutput(j_decompress_ptr cinfo, BITMAPINFOHEADER *info);

// Fills the 256 entries of 4 bytes of the grey table: entry i is i, i, i, 0.
void FillGrayTable(BYTE *table);

// Creates the sink in the image pool of a decompression object whose header has been read.
// Raises kJpegMsgBadColorSpace for an output colour space
// other than grey or RGB and kJpegMsgTooLarge for a picture beyond the packed-bitmap limit.
BmpFileSink *CreateBmpFileSink(j_decompress_ptr cinfo);

// Writes the file headers and the grey table if any, and flushes the stream. A failed write
// raises JERR_FILE_WRITE.
void FinishBmpFileSink(j_decompress_ptr cinfo, BmpFileSink *sink);

// Pictures as plain top-down RGB, for comparing what our readers produce with an independent
// decoder pixel by pixel.
//
// Natively, make a picture and its reference decoding with ImageMagick or netpbm:
//   TempDir dir;
//   std::string gif = dir.File("a.gif");
//   ASSERT_TRUE(RunShell("convert -size 33x7 gradient:red-blue -colors 16 " + Quote(gif)));
//   PackedBitmap bitmap = ReadGifFile(gif.c_str());
//   EXPECT_TRUE(SameRgb(DecodeWithImageMagick(gif), PackedBitmapToRgb(bitmap)));
//   GlobalFree(bitmap);
// DecodeWithCommand takes any command that writes a PNM picture (P1-P6) to its standard
// output: "pcxtoppm FILE" for PCX (ImageMagick reads 1-bit PCX with its colours inverted),
// "djpeg -pnm FILE" for libjpeg's own decoding of a JPEG.
// Under Wine, DeviceBitmapToRgb reads a device bitmap back for the same comparison.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "packedbitmap.h"

// Little-endian numbers in a picture's bytes: at p, or at offset `at` of bytes.
DWORD Dword(const BYTE *p);
DWORD Dword(const std::string &bytes, size_t at);
WORD Word(const std::string &bytes, size_t at);

// A block of memory from GlobalAlloc, such as a reader's PackedBitmap, freed with GlobalFree.
struct BlockDeleter {
  void operator()(void *block) const { GlobalFree(block); }
};
using Block = std::unique_ptr<void, BlockDeleter>;

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;  // top row first, red, green, blue per pixel

  bool empty() const { return width <= 0 || height <= 0; }
  // The pixel at (x, y), y counted from the top, as 0xRRGGBB.
  unsigned long At(int x, int y) const;
};

// Equal sizes and equal pixels; on failure the message names the first pixel that differs.
// `tolerance` allows each channel to differ by that much (for lossy formats).
::testing::AssertionResult SameRgb(const RgbImage &expected, const RgbImage &actual,
                                   int tolerance = 0);

// The block's pixels as RGB: 1, 4, 8 bits through the colour table (either header kind), 16
// bits as 5-5-5 or through BI_BITFIELDS masks, 24 and 32 bits; bottom-up or top-down rows.
// Empty for a null block, run-length data or a depth it does not know.
RgbImage PackedBitmapToRgb(PackedBitmap bitmap);

// Parses a PNM picture (P1 to P6, maxval up to 255, grey widened to RGB); empty when the
// bytes are not one.
RgbImage ParsePnm(const std::string &bytes);

// Single-quotes a path for the shell.
std::string Quote(const std::string &path);

#ifdef _WIN32
#include <windows.h>

// The device bitmap's pixels, read back with GetDIBits at 24 bits per pixel.
RgbImage DeviceBitmapToRgb(HBITMAP bitmap);
#else
// Runs a shell command; true when it exits with status 0. Its output goes to the test log.
bool RunShell(const std::string &command);

// The standard output of a shell command, or empty when it fails.
std::string ShellOutput(const std::string &command);

// A PNM picture written by the command to its standard output; empty when it fails.
RgbImage DecodeWithCommand(const std::string &command);

// ImageMagick's decoding of the file's first image.
RgbImage DecodeWithImageMagick(const std::string &path);
#endif

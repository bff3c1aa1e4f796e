// PCX reading speed: ReadPcxFile on large 8-bit PCX files against ReadBmpFile on the same
// pixels stored as an uncompressed 8-bit BMP, both generated here with ImageMagick.
// Target: the PCX read takes at most twice as long as the BMP read.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "benchsupport.h"
#include "bmpreader.h"
#include "pcxreader.h"

namespace {

const double kTarget = 2.0;
const int kRounds = 9;

struct Picture {
  const char *name;
  std::string arguments;  // ImageMagick's, before the output file
};

void Read(PackedBitmap (*reader)(const char *), const std::string &file) {
  PackedBitmap bitmap = reader(file.c_str());
  if (!bitmap) {
    fprintf(stderr, "cannot read %s\n", file.c_str());
    exit(1);
  }
  GlobalFree(bitmap);
}

}  // namespace

int main() {
  BenchDir dir;
  const std::string base = dir.File("base.png");
  Convert("-seed 5 -size 4000x3000 plasma:fractal -blur 0x1 " + base);
  const std::vector<Picture> pictures = {
      {"256 colours, dithered", base + " -colors 256"},
      {"256 colours, flat", base + " -dither None -colors 256"},
      {"16 colours, flat", base + " -dither None -colors 16 -type palette"},
  };
  double pcxTotal = 0, bmpTotal = 0;
  printf("%-24s %10s %10s %10s %8s\n", "8-bit 4000x3000", "PCX KB", "PCX ms", "BMP ms", "ratio");
  for (const Picture &picture : pictures) {
    const std::string pcx = dir.File("picture.pcx"), bmp = dir.File("picture.bmp");
    Convert(picture.arguments + " PCX:" + pcx);
    Convert(pcx + " -compress None -type palette BMP3:" + bmp);
    Read(ReadPcxFile, pcx);  // warm the page cache
    Read(ReadBmpFile, bmp);
    const double pcxSeconds = SecondsPerCall([&] { Read(ReadPcxFile, pcx); }, kRounds);
    const double bmpSeconds = SecondsPerCall([&] { Read(ReadBmpFile, bmp); }, kRounds);
    pcxTotal += pcxSeconds;
    bmpTotal += bmpSeconds;
    FILE *f = fopen(pcx.c_str(), "rb");
    fseek(f, 0, SEEK_END);
    const long size = ftell(f);
    fclose(f);
    printf("%-24s %10ld %10.2f %10.2f %7.2fx\n", picture.name, size / 1024, pcxSeconds * 1000,
           bmpSeconds * 1000, pcxSeconds / bmpSeconds);
  }
  const double ratio = pcxTotal / bmpTotal;
  printf("PCX read time / BMP read time, whole set: %.2fx (target <= %.1fx): %s\n", ratio, kTarget,
         ratio <= kTarget ? "met" : "NOT MET");
  return 0;
}

// PCX reading speed: ReadPcxFile on large 8-bit PCX files against ReadBmpFile on the same
// pixels stored as an uncompressed 8-bit BMP, both generated here with ImageMagick.
// Target: the PCX read takes at most twice as long as the BMP read.
//
// Measured twice: with the C library reusing the freed block for the next one (the BMP read
// is then a bare copy from the page cache), and with every block fresh from the system, as
// Windows gives large global-heap blocks (the cost of the new pages then counts for both).
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "benchsupport.h"
#include "benchverdict.h"
#include "bmpreader.h"
#include "pcxreader.h"

namespace {

const double kTarget = 2.0;
const int kRounds = 9;

struct Picture {
  const char *name;
  std::string pcx, bmp;
};

void Read(PackedBitmap (*reader)(const char *, const std::atomic<bool> *),
          const std::string &file) {
  FreeOrExit(reader(file.c_str(), nullptr), file);
}

long FileSize(const std::string &path) {
  FILE *f = fopen(path.c_str(), "rb");
  if (!f) return 0;
  fseek(f, 0, SEEK_END);
  const long size = ftell(f);
  fclose(f);
  return size;
}

void Measure(const char *memory, const std::vector<Picture> &pictures) {
  double pcxTotal = 0, bmpTotal = 0;
  printf("8-bit 4000x3000, %s\n", memory);
  printf("  %-24s %10s %10s %10s %8s\n", "picture", "PCX KB", "PCX ms", "BMP ms", "ratio");
  for (const Picture &picture : pictures) {
    Read(ReadPcxFile, picture.pcx);  // warm the page cache
    Read(ReadBmpFile, picture.bmp);
    const double pcx = SecondsPerCall([&] { Read(ReadPcxFile, picture.pcx); }, kRounds);
    const double bmp = SecondsPerCall([&] { Read(ReadBmpFile, picture.bmp); }, kRounds);
    pcxTotal += pcx;
    bmpTotal += bmp;
    printf("  %-24s %10ld %10.2f %10.2f %7.2fx\n", picture.name, FileSize(picture.pcx) / 1024,
           pcx * 1000, bmp * 1000, pcx / bmp);
  }
  const double ratio = pcxTotal / bmpTotal;
  printf("PCX read time / BMP read time, whole set, %s: %.2fx (target <= %.1fx): %s\n", memory,
         ratio, kTarget, VerdictAtMost(ratio, kTarget, {pcxTotal, bmpTotal}));
}

}  // namespace

int main() {
  BenchDir dir;
  const std::string base = dir.File("base.png");
  Convert("-seed 5 -size 4000x3000 plasma:fractal -blur 0x1 " + base);
  std::vector<Picture> pictures = {
      {"256 colours, dithered", "-colors 256", ""},
      {"256 colours, flat", "-dither None -colors 256", ""},
      {"16 colours, flat", "-dither None -colors 16 -type palette", ""},
  };
  for (size_t i = 0; i < pictures.size(); i++) {
    const std::string options = pictures[i].pcx, name = "picture" + std::to_string(i);
    pictures[i].pcx = dir.File(name + ".pcx");
    pictures[i].bmp = dir.File(name + ".bmp");
    Convert(base + " " + options + " PCX:" + pictures[i].pcx);
    Convert(pictures[i].pcx + " -compress None -type palette BMP3:" + pictures[i].bmp);
  }
  Measure("memory reused", pictures);
  mallopt(M_MMAP_THRESHOLD, 1 << 20);  // blocks of 1 MB and more: always fresh pages
  Measure("fresh memory per read", pictures);
  return BenchExitCode();
}

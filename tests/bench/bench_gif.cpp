// GIF decoding throughput: ReadGifFile against giflib's DGifSlurp on the same large GIFs,
// generated here with ImageMagick. Target: ours at least 1.5 times giflib's throughput.
#include <gif_lib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "benchsupport.h"
#include "benchverdict.h"
#include "gifreader.h"

namespace {

const double kTarget = 1.5;
const int kRounds = 7;

struct Picture {
  const char *name;
  std::string arguments;  // ImageMagick's, before the output file
};

void ReadOurs(const std::string &file) {
  FreeOrExit(ReadGifFile(file.c_str()), file);
}

void ReadGiflib(const std::string &file) {
  int error = 0;
  GifFileType *gif = DGifOpenFileName(file.c_str(), &error);
  if (!gif || DGifSlurp(gif) != GIF_OK) {
    fprintf(stderr, "giflib failed on %s\n", file.c_str());
    exit(1);
  }
  DGifCloseFile(gif, &error);
}

}  // namespace

int main() {
  BenchDir dir;
  const std::string base = dir.File("base.png");
  Convert("-seed 5 -size 4000x3000 plasma:fractal -blur 0x1 " + base);
  const std::vector<Picture> pictures = {
      {"256 colours, dithered", base + " -colors 256"},
      {"256 colours, flat", base + " -dither None -colors 256"},
      {"16 colours", base + " -dither None -colors 16"},
      {"2 colours", base + " -colors 2"},
      {"64 colours, interlaced", base + " -colors 64 -interlace GIF"},
  };
  double oursTotal = 0, giflibTotal = 0;
  printf("%-24s %12s %12s %8s\n", "GIF 4000x3000", "ours MP/s", "giflib MP/s", "ratio");
  for (const Picture &picture : pictures) {
    const std::string file = dir.File("picture.gif");
    Convert(picture.arguments + " " + file);
    ReadOurs(file);  // warm the page cache
    const double ours = SecondsPerCall([&] { ReadOurs(file); }, kRounds);
    const double giflib = SecondsPerCall([&] { ReadGiflib(file); }, kRounds);
    oursTotal += ours;
    giflibTotal += giflib;
    printf("%-24s %12.1f %12.1f %7.2fx\n", picture.name, 12 / ours, 12 / giflib, giflib / ours);
  }
  const double ratio = giflibTotal / oursTotal;
  printf("GIF throughput, ours / giflib DGifSlurp, whole set: %.2fx (target >= %.1fx): %s\n", ratio,
         kTarget, VerdictAtLeast(ratio, kTarget, {giflibTotal, oursTotal}));
  return BenchExitCode();
}

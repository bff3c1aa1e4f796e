// The PNG reader's cost: ReadPngFile (libspng's rows into the packed bitmap, turned to
// blue-green-red, alpha over black) against libspng decoding the same file to memory in the
// file's own kind of pixels, for a 12-megapixel RGB photo and a 24-megapixel RGBA one. Target:
// at most 1.10 times libspng's time. And, for information, the 24-megapixel one fitted into
// 800 x 600 (its rows reduced as they come).
#include <spng.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "benchsupport.h"
#include "benchverdict.h"
#include "pngreader.h"

namespace {

const double kTarget = 1.10;
const int kRounds = 9;

// libspng's own decoding of the file into memory, as RGB8 or RGBA8; the pixel bytes, 0 on
// failure.
size_t DecodeWithLibspng(const std::string &file, int format) {
  FILE *f = fopen(file.c_str(), "rb");
  if (!f) return 0;
  spng_ctx *ctx = spng_ctx_new(0);
  size_t size = 0;
  std::vector<unsigned char> image;
  if (spng_set_png_file(ctx, f) == 0 && spng_decoded_image_size(ctx, format, &size) == 0) {
    image.resize(size);
    if (spng_decode_image(ctx, image.data(), size, format, SPNG_DECODE_TRNS) != 0) size = 0;
  }
  spng_ctx_free(ctx);
  fclose(f);
  return size;
}

}  // namespace

int main() {
  BenchDir dir;
  const std::string rgb = dir.File("rgb.png"), rgba = dir.File("rgba.png");
  Convert("-seed 3 -size 4000x3000 plasma:fractal -blur 0x2 -attenuate 0.2 +noise Gaussian PNG24:" +
          rgb);
  Convert(
      "-seed 4 -size 6000x4000 plasma:fractal -blur 0x2 \\( -size 6000x4000 gradient: \\) "
      "-alpha off -compose copy_opacity -composite PNG32:" +
      rgba);
  const struct {
    const char *name;
    std::string file;
    int format;
  } pictures[] = {{"12 MP RGB", rgb, SPNG_FMT_RGB8}, {"24 MP RGBA", rgba, SPNG_FMT_RGBA8}};
  printf("%-24s %12s %12s %8s\n", "PNG", "ours ms", "libspng ms", "ratio");
  std::string verdicts;
  for (const auto &p : pictures) {
    FreeOrExit(ReadPngFile(p.file.c_str()), p.file);  // warm up
    double ours, libspng;
    SecondsPerCallInTurns([&] { FreeOrExit(ReadPngFile(p.file.c_str()), p.file); },
                          [&] {
                            if (DecodeWithLibspng(p.file, p.format) == 0) exit(1);
                          },
                          kRounds, &ours, &libspng);
    const double ratio = ours / libspng;
    printf("%-24s %12.1f %12.1f %7.2fx\n", p.name, ours * 1000, libspng * 1000, ratio);
    char verdict[160];
    snprintf(verdict, sizeof verdict,
             "ReadPngFile / libspng to memory, %s: %.2fx (target <= %.2fx): %s\n", p.name, ratio,
             kTarget, VerdictAtMost(ratio, kTarget, {ours, libspng}));
    verdicts += verdict;
  }
  PictureFit fit = {800, 600, 0, 0};
  const double fitted =
      SecondsPerCall([&] { FreeOrExit(ReadPngFile(rgba.c_str(), nullptr, &fit), rgba); }, kRounds);
  printf("%-24s %12.1f\n", "24 MP RGBA fitted", fitted * 1000);
  fputs(verdicts.c_str(), stdout);
  return BenchExitCode();
}

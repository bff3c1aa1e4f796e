// The WebP reader's cost: ReadWebpFile (the file read whole, demuxed and decoded by libwebp's
// incremental decoder straight into the packed bitmap) against reading the file and
// WebPDecodeBGR, for a 12-megapixel lossy photo. Target: at most 1.10 times. And the best fit
// of a 24-megapixel photo on 800 x 600 (decoded straight to the fitted size by libwebp's
// scaling) against its full-size reading. Target: less time (at most 1.00 times).
#include <webp/decode.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "benchsupport.h"
#include "benchverdict.h"
#include "webpreader.h"

namespace {

const double kTarget = 1.10;
const int kRounds = 11;

void DecodeWithLibwebp(const std::string &file) {
  std::string bytes;
  if (FILE *f = fopen(file.c_str(), "rb")) {
    char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
    fclose(f);
  }
  int width = 0, height = 0;
  uint8_t *pixels =
      WebPDecodeBGR(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), &width, &height);
  if (!pixels) exit(1);
  WebPFree(pixels);
}

void ReadOurs(const std::string &file, PictureFit *fit = nullptr) {
  FreeOrExit(ReadWebpFile(file.c_str(), nullptr, fit), file);
}

}  // namespace

int main() {
  BenchDir dir;
  const std::string png12 = dir.File("p12.png"), png24 = dir.File("p24.png");
  const std::string photo12 = dir.File("p12.webp"), photo24 = dir.File("p24.webp");
  const std::string photo = "plasma:fractal -blur 0x2 -attenuate 0.2 +noise Gaussian PNG24:";
  Convert("-seed 3 -size 4000x3000 " + photo + png12);
  Convert("-seed 4 -size 6000x4000 " + photo + png24);
  for (const std::string *p : {&png12, &png24}) {
    const std::string command =
        "cwebp -quiet -q 85 " + *p + " -o " + (p == &png12 ? photo12 : photo24);
    if (system(command.c_str()) != 0) {
      fprintf(stderr, "failed: %s\n", command.c_str());
      return 1;
    }
  }
  ReadOurs(photo12);  // warm up
  double ours, libwebp, full24, fit24;
  SecondsPerCallInTurns([&] { ReadOurs(photo12); }, [&] { DecodeWithLibwebp(photo12); }, kRounds,
                        &ours, &libwebp);
  const double ratio = ours / libwebp;
  PictureFit fit = {800, 600, 0, 0};
  SecondsPerCallInTurns([&] { ReadOurs(photo24, &fit); }, [&] { ReadOurs(photo24); }, kRounds,
                        &fit24, &full24);
  const double fitRatio = fit24 / full24;
  printf("%-34s %12.1f ms\n", "12 MP lossy, ReadWebpFile", ours * 1000);
  printf("%-34s %12.1f ms\n", "12 MP lossy, WebPDecodeBGR", libwebp * 1000);
  printf("%-34s %12.1f ms\n", "24 MP lossy, ReadWebpFile", full24 * 1000);
  printf("%-34s %12.1f ms\n", "24 MP lossy, fitted into 800 x 600", fit24 * 1000);
  printf("ReadWebpFile / WebPDecodeBGR, 12 MP lossy: %.2fx (target <= %.2fx): %s\n", ratio, kTarget,
         VerdictAtMost(ratio, kTarget, {ours, libwebp}));
  printf("ReadWebpFile best fit 800 x 600 / full size, 24 MP lossy: %.2fx (target <= 1.00x): %s\n",
         fitRatio, VerdictAtMost(fitRatio, 1.0, {fit24, full24}));
  return BenchExitCode();
}

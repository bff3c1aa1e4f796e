// The JPEG path's cost: ReadJpegFile (decoding straight into the packed bitmap) against libjpeg
// decoding the same 12-megapixel photo into memory. Target: at most 1.15 times libjpeg's
// time. And the cost of turning a photo upright: the same photo with EXIF orientation 6
// (turned a quarter) against orientation 1 (as stored), through ReadJpegFile both. Target: at
// most 1.15 times.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "benchsupport.h"
#include "benchverdict.h"
#include "jpegreader.h"
#include "jpegwriter.h"

namespace {

const double kTarget = 1.15;
const int kRounds = 9;

void DecodeToMemory(const std::string &file) {
  if (DecodeJpegFromFile(file).samples.empty()) exit(1);
}

void ReadOurs(const std::string &file) {
  FreeOrExit(ReadJpegFile(file.c_str()), file);
}

std::string ReadWhole(const std::string &path) {
  std::string bytes;
  if (FILE *f = fopen(path.c_str(), "rb")) {
    char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
    fclose(f);
  }
  return bytes;
}

// The JPEG file with an APP1 EXIF block of the given orientation right after its SOI marker.
void WriteWithOrientation(const std::string &jpeg, int orientation, const std::string &path) {
  const std::string bytes = WithApp1(jpeg, ExifBlock(orientation, false));
  FILE *f = fopen(path.c_str(), "wb");
  if (!f || fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || fclose(f) != 0) exit(1);
}

}  // namespace

int main() {
  BenchDir dir;
  setenv("TMP", dir.path().c_str(), 1);
  const std::string photo = dir.File("photo.jpg"), grey = dir.File("grey.jpg");
  Convert(
      "-seed 3 -size 4000x3000 plasma:fractal -blur 0x2 -attenuate 0.3 +noise Gaussian "
      "-quality 90 " +
      photo);
  Convert(photo + " -colorspace Gray " + grey);
  printf("%-26s %12s %12s %8s\n", "JPEG 4000x3000", "ours ms", "libjpeg ms", "ratio");
  std::string verdicts;
  for (const std::string &file : {photo, grey}) {
    ReadOurs(file);  // warm up
    const double libjpeg = SecondsPerCall([&] { DecodeToMemory(file); }, kRounds);
    const double ours = SecondsPerCall([&] { ReadOurs(file); }, kRounds);
    const double ratio = ours / libjpeg;
    char verdict[160];
    snprintf(verdict, sizeof verdict,
             "ReadJpegFile / libjpeg to memory, 12 MP %s: %.2fx (target <= %.2fx): %s\n",
             file == photo ? "colour photo" : "greyscale", ratio, kTarget,
             VerdictAtMost(ratio, kTarget, {ours, libjpeg}));
    verdicts += verdict;
    printf("%-26s %12.1f %12.1f %7.2fx\n", file == photo ? "colour photo" : "greyscale photo",
           ours * 1000, libjpeg * 1000, ratio);
  }

  // Turning upright: the colour photo as stored and turned a quarter.
  const std::string asStored = dir.File("stored.jpg"), turned = dir.File("turned.jpg");
  WriteWithOrientation(ReadWhole(photo), 1, asStored);
  WriteWithOrientation(ReadWhole(photo), 6, turned);
  ReadOurs(turned);  // warm up
  // Round by round in turns, so that a change in the machine's load touches both alike.
  std::vector<double> storedTimes, quarterTimes;
  for (int i = 0; i < 2 * kRounds + 1; i++) {
    storedTimes.push_back(SecondsPerCall([&] { ReadOurs(asStored); }, 1));
    quarterTimes.push_back(SecondsPerCall([&] { ReadOurs(turned); }, 1));
  }
  std::sort(storedTimes.begin(), storedTimes.end());
  std::sort(quarterTimes.begin(), quarterTimes.end());
  const double stored = storedTimes[kRounds], quarter = quarterTimes[kRounds];
  const double turnRatio = quarter / stored;
  printf("%-26s %12.1f %12.1f %7.2fx\n", "orientation 6 / 1", quarter * 1000, stored * 1000,
         turnRatio);
  char verdict[160];
  snprintf(verdict, sizeof verdict,
           "ReadJpegFile orientation 6 / orientation 1, 12 MP colour photo: %.2fx "
           "(target <= %.2fx): %s\n",
           turnRatio, kTarget, VerdictAtMost(turnRatio, kTarget, {quarter, stored}));
  verdicts += verdict;
  fputs(verdicts.c_str(), stdout);
  return BenchExitCode();
}

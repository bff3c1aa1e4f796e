// Scratch folders, picture generation and timing for the benchmark programs.
#pragma once

#include <functional>
#include <string>

#include "packedbitmap.h"

// A fresh folder under the temporary folder, removed with everything in it on destruction.
class BenchDir {
 public:
  BenchDir();
  ~BenchDir();
  BenchDir(const BenchDir &) = delete;
  BenchDir &operator=(const BenchDir &) = delete;
  std::string File(const std::string &name) const { return path_ + "/" + name; }
  const std::string &path() const { return path_; }

 private:
  std::string path_;
};

// Runs an ImageMagick `convert` command line (arguments only); exits the program on failure.
void Convert(const std::string &arguments);

// Frees a reader's picture of `file`; a reader that gave none ends the program with a message.
void FreeOrExit(PackedBitmap bitmap, const std::string &file);

// Seconds per call of `work`: the median of `rounds` timings.
double SecondsPerCall(const std::function<void()> &work, int rounds);

// Seconds per call of two pieces of work timed round by round in turns, so that a change in
// the machine's load touches both alike: the medians of `rounds` timings each.
void SecondsPerCallInTurns(const std::function<void()> &first, const std::function<void()> &second,
                           int rounds, double *firstSeconds, double *secondSeconds);

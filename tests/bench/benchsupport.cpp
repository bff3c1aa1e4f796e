#include "benchsupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

BenchDir::BenchDir() {
  std::string pattern = std::filesystem::temp_directory_path().string() + "/lumora-bench-XXXXXX";
  if (!mkdtemp(&pattern[0])) {
    perror("mkdtemp");
    exit(1);
  }
  path_ = pattern;
}

BenchDir::~BenchDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void Convert(const std::string &arguments) {
  const std::string command = "convert " + arguments;
  if (system(command.c_str()) != 0) {
    fprintf(stderr, "failed: %s\n", command.c_str());
    exit(1);
  }
}

void FreeOrExit(PackedBitmap bitmap, const std::string &file) {
  if (!bitmap) {
    fprintf(stderr, "cannot read %s\n", file.c_str());
    exit(1);
  }
  GlobalFree(bitmap);
}

double SecondsPerCall(const std::function<void()> &work, int rounds) {
  std::vector<double> times;
  for (int i = 0; i < rounds; i++) {
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void SecondsPerCallInTurns(const std::function<void()> &first, const std::function<void()> &second,
                           int rounds, double *firstSeconds, double *secondSeconds) {
  std::vector<double> a, b;
  for (int i = 0; i < rounds; i++) {
    a.push_back(SecondsPerCall(first, 1));
    b.push_back(SecondsPerCall(second, 1));
  }
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  *firstSeconds = a[a.size() / 2];
  *secondSeconds = b[b.size() / 2];
}

#include "processwatch.h"

#include <gtest/gtest.h>

#include <psapi.h>  // after windows.h
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>

#include "gifwriter.h"
#include "jpegwriter.h"
#include "pcxwriter.h"
#include "viewerdriver.h"

namespace {

DWORD ThreadCount(HANDLE process) {
  const DWORD id = GetProcessId(process);
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  DWORD count = 0;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == id) count++;
  CloseHandle(snapshot);
  return count;
}

}  // namespace

std::vector<std::string> WriteLongRunPictures(const TempDir &dir) {
  std::vector<std::string> lines;
  auto add = [&](const char *key, const std::string &name, const std::string &bytes) {
    WriteBytes(dir.File(name), bytes);
    lines.push_back(std::string(key) + "=" + dir.File(name));
  };
  WriteBmp(dir.File("quad.bmp"), 160, 120, Quadrants);
  lines.push_back("centred=" + dir.File("quad.bmp"));
  add("tiled", "tile.gif", MakeGif(37, 23, 16, std::vector<unsigned char>(37 * 23, 5)));
  add("stretched", "fit.pcx", MakePcx(90, 40));
  add("centred", "photo.jpg", MakeJpeg(200, 150));
  add("centred", "broken.gif", "GIF89a but nothing more");
  lines.push_back("centred=" + dir.File("missing.bmp"));
  add("centred", "cut.jpg", MakeJpeg(64, 64).substr(0, 40));
  JpegOptions grey;
  grey.components = 1;
  add("stretched", "grey.jpeg", MakeJpeg(64, 64, grey));
  return lines;
}

Sample Measure(HANDLE process, int steps, bool inProcess) {
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(process, &memory, sizeof memory);
  DWORD highWater = 0;
  if (inProcess) {
    HBRUSH probe[16];
    for (HBRUSH &b : probe) {
      b = CreateSolidBrush(RGB(1, 2, 3));
      highWater = std::max<DWORD>(highWater, (DWORD)((ULONG_PTR)b & 0xffff));
    }
    for (HBRUSH b : probe) DeleteObject(b);
  }
  return {steps,
          GetGuiResources(process, GR_GDIOBJECTS),
          highWater,
          memory.PagefileUsage,
          memory.WorkingSetSize,
          ThreadCount(process)};
}

void Report(const char *what, const char *unit, int total, const std::vector<Sample> &samples,
            DWORD elapsed) {
  printf("%s: %d %s in %lu ms (%.2f ms each)\n", what, total, unit, elapsed,
         (double)elapsed / total);
  printf("%8s %12s %16s %16s %16s %8s\n", "steps", "GDI objects", "GDI high water", "private bytes",
         "working set", "threads");
  for (const Sample &s : samples)
    printf("%8d %12lu %16lu %16zu %16zu %8lu\n", s.steps, s.gdi, s.gdiHighWater,
           (size_t)s.privateBytes, (size_t)s.workingSet, s.threads);
}

void ExpectFlat(const std::vector<Sample> &samples) {
  ASSERT_GE(samples.size(), 2u);
  const Sample &first = samples.front(), &last = samples.back();
  EXPECT_LE(last.gdi, first.gdi + 2);
  EXPECT_LE(last.gdiHighWater, first.gdiHighWater + 16);
  EXPECT_LT(last.privateBytes, first.privateBytes + 2 * 1024 * 1024);
  EXPECT_GT(first.threads, 0u);
  EXPECT_LE(last.threads, first.threads);
}

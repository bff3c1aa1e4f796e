// Viewer benchmark under Wine, on the real window: a pan step and a repaint of a picture shown
// at 1600 x 1200, the halftone reduction against the default stretch, and slide changes to
// large pictures (a 4000 x 3000 JPEG, a 4000 x 3000 8-bit PCX, a 2000 x 2000 GIF) in each
// placement, split into their steps, read at the change and read ahead; and the start of a
// show of 20, 2,000 and 20,000 entries, split into its steps. Figures are printed against the
// 60 Hz frame budget. Then the figures with targets ("bench_viewer targets" runs only those),
// each with its target and "met" or "NOT MET", or "NOT MEASURED" when a step could not be
// measured (the exit code is then 1).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "benchverdict.h"
#include "gifwriter.h"
#include "instance.h"
#include "jpegreader.h"
#include "jpegwriter.h"
#include "menus.h"
#include "picture.h"
#include "picturefile.h"
#include "pixels.h"
#include "placedraw.h"
#include "pngwriter.h"
#include "processwatch.h"
#include "readahead.h"
#include "settings.h"
#include "testfiles.h"
#include "uidriver.h"
#include "view.h"
#include "viewerdriver.h"
#include "webpwriter.h"
#include "window.h"

namespace {

const double kFrameMs = 1000.0 / 60.0;

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return 1000.0 * (double)t.QuadPart / (double)frequency.QuadPart;
}

// Median milliseconds of `runs` calls of step, each until its drawing has reached the
// display: Wine hands a window's drawing to the X server when the thread next looks at its
// messages.
template <typename Step>
double Median(int runs, Step step) {
  std::vector<double> times;
  for (int i = 0; i < runs; i++) {
    Pump();
    double start = Now();
    step(i);
    GdiFlush();
    Pump();
    times.push_back(Now() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void Line(const char *what, double ms) {
  printf("  %-58s %8.2f ms  %6.2f frames\n", what, ms, ms / kFrameMs);
}

double PanStep() {
  return Median(200, [](int i) {
    gView.PosX += i % 2 ? 10 : -10;
    gView.PosY += i % 2 ? 10 : -10;
    ApplyPan();
  });
}

double Repaint() {
  return Median(50, [](int) {
    InvalidateRect(gViewerWindow, nullptr, TRUE);
    UpdateWindow(gViewerWindow);
  });
}

// StretchBlt of a whole w x h display bitmap to half its size in the given mode.
double Reduction(int w, int h, int mode) {
  HDC screen = GetDC(nullptr);
  HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
  HBITMAP source = CreateCompatibleBitmap(screen, w, h);
  HBITMAP target = CreateCompatibleBitmap(screen, w / 2, h / 2);
  HGDIOBJ oldFrom = SelectObject(from, source), oldTo = SelectObject(to, target);
  PatBlt(from, 0, 0, w, h, WHITENESS);
  SetStretchBltMode(to, mode);
  SetBrushOrgEx(to, 0, 0, nullptr);
  double ms =
      Median(9, [&](int) { StretchBlt(to, 0, 0, w / 2, h / 2, from, 0, 0, w, h, SRCCOPY); });
  SelectObject(from, oldFrom);
  SelectObject(to, oldTo);
  DeleteObject(source);
  DeleteObject(target);
  DeleteDC(from);
  DeleteDC(to);
  ReleaseDC(nullptr, screen);
  return ms;
}

// Median milliseconds of `runs` timed steps, each after an untimed setup.
template <typename Setup, typename Step>
double MedianAfter(int runs, Setup setup, Step step) {
  std::vector<double> times;
  for (int i = 0; i < runs; i++) {
    setup();
    GdiFlush();
    Pump();
    double start = Now();
    step();
    GdiFlush();
    Pump();
    times.push_back(Now() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// An 8-bit single-plane PCX file (version 5, run-length coded) of diagonal bands.
std::string MakeLargePcx(int width, int height) {
  const int bytesPerLine = (width + 1) & ~1;
  std::string file(128, '\0');
  auto word = [&](int at, int value) {
    file[at] = (char)(value & 0xff);
    file[at + 1] = (char)(value >> 8);
  };
  file[0] = 10, file[1] = 5, file[2] = 1, file[3] = 8;
  word(8, width - 1);
  word(10, height - 1);
  word(12, 72);
  word(14, 72);
  file[65] = 1;
  word(66, bytesPerLine);
  word(68, 1);
  std::vector<unsigned char> row(bytesPerLine);
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < bytesPerLine; x++) row[x] = (unsigned char)((x + y) / 8);
    for (int x = 0; x < bytesPerLine;) {
      int run = 1;
      while (x + run < bytesPerLine && run < 63 && row[x + run] == row[x]) run++;
      if (run > 1 || row[x] >= 0xc0) file += (char)(0xc0 | run);
      file += (char)row[x];
      x += run;
    }
  }
  file += (char)12;
  for (int i = 0; i < 256; i++) file += std::string{(char)i, (char)(255 - i), (char)(i * 7)};
  return file;
}

std::string MakeLargeGif(int width, int height) {
  std::vector<unsigned char> pixels((size_t)width * height);
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) pixels[(size_t)y * width + x] = (unsigned char)((x / 5) ^ y);
  return MakeGif(width, height, 256, pixels);
}

const char *const kModeNames[] = {"centred", "tiled", "best fit"};

// One picture in one placement: the steps of a change without reading ahead, then the change
// itself without and with it. The list holds the picture twice (two files), so that each
// timed change replaces a picture of the same size.
struct ChangeFigures {
  double packed, device, placed, paint, without, with;
};

ChangeFigures MeasurePicture(const std::string &a, const std::string &b, PlacementMode mode,
                             bool readAhead) {
  ChangeFigures f = {};
  SetEnvironmentVariableA("LUMORA_READAHEAD", readAhead ? nullptr : "0");
  if (!CreateViewerWindow()) return f;
  ShowWindow(gViewerWindow, SW_SHOWNORMAL);
  gShow.Images = ImageList{};
  AddListEntry(&gShow.Images, b.c_str(), mode);  // index 1
  AddListEntry(&gShow.Images, a.c_str(), mode);  // index 0
  auto waitForWorker = [] {
    while (!gShow.ReadAheadIdle()) Sleep(1);
  };
  if (!readAhead) {
    PackedBitmap packed = nullptr;
    f.packed = Median(3, [&](int) {
      if (packed) GlobalFree(packed);
      packed = ReadPictureFile(b.c_str());
    });
    HBITMAP device = nullptr;
    f.device = Median(3, [&](int) {
      if (device) DeleteObject(device);
      device = PackedBitmapToDevice(packed);
    });
    GlobalFree(packed);
    if (mode != kModeCentred) {
      f.placed = Median(3, [&](int) {
        PreparedPicture p = {};
        HDC screen = GetDC(nullptr);
        BITMAP info;
        GetObjectA(device, sizeof info, &info);
        HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
        PlaceRect r = mode == kModeTiled ? PlaceRect{0, 0, gShow.ScreenWidth, gShow.ScreenHeight}
                                         : BestFitRect(gShow.ScreenWidth, gShow.ScreenHeight,
                                                       info.bmWidth, info.bmHeight);
        p.placed = CreateCompatibleBitmap(screen, r.right - r.left, r.bottom - r.top);
        HGDIOBJ oldFrom = SelectObject(from, device), oldTo = SelectObject(to, p.placed);
        if (mode == kModeTiled)
          DrawTiledPicture(to, device, gShow.ScreenWidth, gShow.ScreenHeight);
        else
          StretchPicture(to, PlaceRect{0, 0, r.right - r.left, r.bottom - r.top}, from,
                         info.bmWidth, info.bmHeight);
        GdiFlush();
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
        DeleteDC(from);
        DeleteDC(to);
        ReleaseDC(nullptr, screen);
        FreePreparedPicture(&p);
      });
    }
    DeleteObject(device);
    GoToPicture(1);
    UpdateWindow(gViewerWindow);
    f.paint = Repaint();
    f.without = MedianAfter(
        5,
        [] {
          GoToPicture(0);
          UpdateWindow(gViewerWindow);
        },
        [] {
          GoToPicture(1);
          UpdateWindow(gViewerWindow);
        });
  } else {
    f.with = MedianAfter(
        5,
        [&] {
          GoToPicture(0);
          UpdateWindow(gViewerWindow);
          waitForWorker();
        },
        [] {
          GoToPicture(kGoNext);
          UpdateWindow(gViewerWindow);
        });
  }
  DestroyWindow(gViewerWindow);
  Pump();
  FreeImageList(&gShow.Images);
  SetEnvironmentVariableA("LUMORA_READAHEAD", nullptr);
  return f;
}

void ChangeTable(const TempDir &dir) {
  struct Picture {
    const char *what, *a, *b;
    std::string bytes;
  } pictures[] = {
      {"4000 x 3000 JPEG", "a.jpg", "b.jpg", MakeJpeg(4000, 3000)},
      {"4000 x 3000 PCX", "a.pcx", "b.pcx", MakeLargePcx(4000, 3000)},
      {"2000 x 2000 GIF", "a.gif", "b.gif", MakeLargeGif(2000, 2000)},
  };
  printf("\nslide change to a large picture, ms (frames of 16.67 ms); steps read at the change:\n");
  printf("  %-17s %-9s %9s %9s %9s %9s | %15s %15s %s\n", "picture", "placement", "packed",
         "display", "placed", "paint", "change without", "change with", "with <= 1 frame");
  for (Picture &p : pictures) {
    WriteBytes(dir.File(p.a), p.bytes);
    WriteBytes(dir.File(p.b), p.bytes);
    for (int mode = kModeCentred; mode <= kModeStretched; mode++) {
      ChangeFigures off = MeasurePicture(dir.File(p.a), dir.File(p.b), (PlacementMode)mode, false);
      ChangeFigures on = MeasurePicture(dir.File(p.a), dir.File(p.b), (PlacementMode)mode, true);
      printf("  %-17s %-9s %9.2f %9.2f %9.2f %9.2f | %8.2f (%4.1f) %8.2f (%4.1f) %s\n", p.what,
             kModeNames[mode], off.packed, off.device, off.placed, off.paint, off.without,
             off.without / kFrameMs, on.with, on.with / kFrameMs,
             VerdictAtMost(on.with, kFrameMs, {on.with}));
      fflush(stdout);
    }
  }
  printf(
      "  (placed: the tiling over the screen or the best-fit reduction; paint: erase and draw\n"
      "   of the shown picture; with read-ahead the worker made the display bitmap and the\n"
      "   placed picture before the change)\n");
}

struct StartFigures {
  double list, fileList, window, open;
  DWORD gdiObjects;
};

// One start as the program makes it, once the settings are confirmed: the list read, the File
// list made, the window made and the first picture on it; then the File list opened.
StartFigures MeasureStart(const std::string &list) {
  StartFigures f{};
  Pump();
  double t0 = Now();
  gShow.Images = ImageList{};
  LoadImageList(list.c_str(), &gShow.Images, AddListEntry);
  double t1 = Now();
  BuildFileListMenu();
  double t2 = Now();
  if (!CreateViewerWindow()) {  // nothing to measure
    ClearFileListMenu();
    FreeImageList(&gShow.Images);
    return f;
  }
  ShowWindow(gViewerWindow, SW_SHOWNORMAL);
  GoToPicture(kGoFirst);
  GdiFlush();
  Pump();
  double t3 = Now();
  SendMessageA(gViewerWindow, WM_INITMENUPOPUP, (WPARAM)gFileListMenu, 0);
  double t4 = Now();
  f = {t1 - t0, t2 - t1, t3 - t2, t4 - t3, Measure(GetCurrentProcess(), 0, true).gdiHighWater};
  DestroyWindow(gViewerWindow);
  Pump();
  ClearFileListMenu();
  FreeImageList(&gShow.Images);
  return f;
}

void StartTable(const TempDir &dir) {
  const double kTargetMs = 30;
  std::string picture = dir.File("small.bmp");
  WriteSolidBmp(picture, 64, 48, kBlue);
  CreatePopupMenus();
  printf("start of a show (one 64 x 48 BMP in every entry), ms:\n");
  printf("  %8s %10s %10s %16s %10s %8s %10s\n", "entries", "read list", "File list",
         "window+picture", "start", "open", "GDI slots");
  double first = 0, last = 0;
  for (int count : {20, 2000, 20000}) {
    std::string list = dir.File("start" + std::to_string(count) + ".wcl");
    WriteList(list, std::vector<std::string>((size_t)count, "centred=" + picture));
    StartFigures f = MeasureStart(list);
    double start = f.list + f.fileList + f.window;
    printf("  %8d %10.2f %10.2f %16.2f %10.2f %8.2f %10lu\n", count, f.list, f.fileList, f.window,
           start, f.open, (unsigned long)f.gdiObjects);
    if (count == 20) first = start;
    last = start;
  }
  printf("start of 20,000 entries - start of 20: %.1f ms (target <= %.0f ms): %s\n", last - first,
         kTargetMs, VerdictAtMost(last - first, kTargetMs, {first, last}));
}

void Verdict(const char *what, double figure, const char *unit, double target,
             std::initializer_list<double> from);

// One start from a list file or a folder as the program makes it (Show::Load, the File list,
// the window and the first picture on it), and the time from its beginning until the listing
// of its folders, if any, has ended; 0 for a start that failed.
struct SourceStart {
  double start, listed;
};
SourceStart MeasureSourceStart(const std::string &source) {
  Pump();
  const double t0 = Now();
  if (gShow.Load(source.c_str()) != kShowLoaded) return {0, 0};
  BuildFileListMenu();
  if (!CreateViewerWindow()) {
    ClearFileListMenu();
    gShow.FreeList();
    return {0, 0};
  }
  ShowWindow(gViewerWindow, SW_SHOWNORMAL);
  GoToPicture(kGoFirst);
  GdiFlush();
  Pump();
  const double started = Now();
  gShow.FinishListing();
  const double listed = Now();
  const bool complete = gShow.Images.count == 20000;
  DestroyWindow(gViewerWindow);
  Pump();
  ClearFileListMenu();
  gShow.FreeList();
  if (!complete) return {0, 0};
  return {started - t0, listed - t0};
}

// A folder of 20,000 pictures (links to one small BMP) against a list of the same 20,000: the
// start of each, the first of the folder's as the program's first (the system's picture types
// asked for then), and the time the folder takes to be listed whole.
void FolderStartTable(const TempDir &dir) {
  const int kCount = 20000;
  const std::string folder = dir.File("folder20000"), picture = dir.File("one.bmp");
  WriteSolidBmp(picture, 64, 48, kGreen);
  CreateDirectoryA(folder.c_str(), nullptr);
  std::vector<std::string> lines;
  for (int i = 0; i < kCount; i++) {
    const std::string name = folder + "\\IMG_" + std::to_string(i) + ".bmp";
    if (!CreateHardLinkA(name.c_str(), picture.c_str(), nullptr))
      CopyFileA(picture.c_str(), name.c_str(), TRUE);
    lines.push_back("centred=" + name);
  }
  const std::string list = dir.File("folder20000.wcl");
  WriteList(list, lines);
  CreatePopupMenus();
  printf("\nstart of a show of %d pictures, ms:\n", kCount);
  const SourceStart firstFolder = MeasureSourceStart(folder);
  std::vector<double> lists, folders, listings;
  for (int run = 0; run < 5; run++) {
    const SourceStart l = MeasureSourceStart(list);
    const SourceStart f = MeasureSourceStart(folder);
    lists.push_back(l.start);
    folders.push_back(f.start);
    listings.push_back(f.listed);
  }
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  const double listStart = median(lists), folderStart = median(folders), listing = median(listings);
  printf("  %-62s %8.2f\n", "a list of them", listStart);
  printf("  %-62s %8.2f\n", "the folder of them, the program's first folder", firstFolder.start);
  printf("  %-62s %8.2f\n", "the folder of them", folderStart);
  printf("  %-62s %8.2f\n", "the folder listed whole (from the start's beginning)", listing);
  // For reference: the system's own first answer for the folder, which a listing waits for.
  std::vector<double> firstAnswers;
  for (int run = 0; run < 5; run++) {
    WIN32_FIND_DATAW data;
    const std::wstring pattern = std::wstring(folder.begin(), folder.end()) + L"\\*";
    const double t0 = Now();
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    firstAnswers.push_back(Now() - t0);
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
  }
  printf("  %-62s %8.2f\n", "FindFirstFileExW's first answer on the folder", median(firstAnswers));
  Verdict("folder start / list start, 20,000 pictures", folderStart / listStart, "x", 1.5,
          {folderStart, listStart});
  Verdict("folder start, 20,000 pictures, the program's first", firstFolder.start, "ms", 100,
          {firstFolder.start});
}

// A new viewer window showing a list of the given entries, the first given at index 0.
bool OpenShow(const std::vector<std::pair<std::string, PlacementMode>> &entries, bool readAhead) {
  SetEnvironmentVariableA("LUMORA_READAHEAD", readAhead ? nullptr : "0");
  if (!CreateViewerWindow()) return false;
  ShowWindow(gViewerWindow, SW_SHOWNORMAL);
  gShow.Images = ImageList{};
  for (size_t i = entries.size(); i-- > 0;)
    AddListEntry(&gShow.Images, entries[i].first.c_str(), entries[i].second);
  return true;
}

void CloseShow() {
  DestroyWindow(gViewerWindow);
  Pump();
  FreeImageList(&gShow.Images);
  SetEnvironmentVariableA("LUMORA_READAHEAD", nullptr);
}

void WaitForWorker() {
  while (!gShow.ReadAheadIdle()) Sleep(1);
}

// A first display: the change from a small picture to this one, read at the change (nothing
// read ahead), until it is on the screen.
double FirstDisplay(const std::string &small, const std::string &file, PlacementMode mode) {
  if (!OpenShow({{small, kModeCentred}, {file, mode}}, false)) return 0;
  const double ms = MedianAfter(
      3,
      [] {
        GoToPicture(0);
        UpdateWindow(gViewerWindow);
      },
      [] {
        GoToPicture(1);
        UpdateWindow(gViewerWindow);
      });
  CloseShow();
  return ms;
}

// Previous right after Next, with reading ahead, over three large pictures.
double PreviousAfterNext(const std::string &a, const std::string &b, const std::string &c) {
  if (!OpenShow({{a, kModeCentred}, {b, kModeCentred}, {c, kModeCentred}}, true)) return 0;
  const double ms = MedianAfter(
      5,
      [] {
        GoToPicture(0);
        UpdateWindow(gViewerWindow);
        WaitForWorker();
        GoToPicture(kGoNext);
        UpdateWindow(gViewerWindow);
        WaitForWorker();
      },
      [] {
        GoToPicture(kGoPrevious);
        UpdateWindow(gViewerWindow);
      });
  CloseShow();
  return ms;
}

// The real Lumora.exe showing `slides` ticks of a best-fit list of the given pictures with
// reading ahead, its private bytes sampled every few milliseconds: the highest, in MB.
double PeakPrivateMb(const TempDir &dir, const std::vector<std::string> &pictures, int slides) {
  std::vector<std::string> lines;
  for (const std::string &picture : pictures) lines.push_back("stretched=" + picture);
  WriteList(dir.File("peak.wcl"), lines);
  ResetViewerSettings(600000);  // ticks are sent
  ViewerProcess viewer(dir.File("peak.wcl"));
  if (!viewer.StartShow()) return 0;
  SIZE_T peak = 0;
  auto sampleFor = [&](DWORD ms) {
    const DWORD start = GetTickCount();
    do {
      peak = std::max(peak, Measure(viewer.Process(), 0, false).privateBytes);
      Sleep(2);
    } while (GetTickCount() - start < ms);
  };
  sampleFor(2000);
  for (int i = 0; i < slides; i++) {
    viewer.Send(WM_TIMER, 1);
    sampleFor(2000);
  }
  viewer.Send(WM_KEYDOWN, VK_ESCAPE);
  viewer.WaitForExit();
  return (double)peak / (1024.0 * 1024.0);
}

// The JPEG photo's pixels written as a PNG file (RGB, or RGBA with a falling alpha) and as a
// lossy WebP file (with the same alpha, or opaque).
void WritePngAndWebp(const std::string &jpeg, bool alpha, const std::string &png,
                     const std::string &webp) {
  Block photo(ReadJpegFile(jpeg.c_str()));
  if (!photo) return;
  const BITMAPINFOHEADER *info = static_cast<const BITMAPINFOHEADER *>(photo.get());
  const LONG width = info->biWidth, height = info->biHeight;
  const DWORD rowBytes = PackedRowBytes(width, 24);
  std::vector<unsigned> samples;
  std::vector<unsigned char> bgra;
  samples.reserve((size_t)width * height * (alpha ? 4 : 3));
  bgra.reserve((size_t)width * height * 4);
  for (LONG y = 0; y < height; y++) {
    const BYTE *row = PackedBitmapPixels(photo.get()) + (size_t)(height - 1 - y) * rowBytes;
    const unsigned char a = alpha ? (unsigned char)(255 - y * 255 / height) : 255;
    for (LONG x = 0; x < width; x++) {
      const BYTE *p = row + x * 3;
      samples.insert(samples.end(), {p[2], p[1], p[0]});
      if (alpha) samples.push_back(a);
      bgra.insert(bgra.end(), {p[0], p[1], p[2], a});
    }
  }
  PngOptions options;
  options.colorType = alpha ? 6 : 2;
  WriteBytes(png, MakePng(width, height, samples, options));
  WriteBytes(webp, MakeWebp(width, height, bgra, false, 85));
}

// A figure worked out from the measurements `from`, against its target.
void Verdict(const char *what, double figure, const char *unit, double target,
             std::initializer_list<double> from) {
  printf("  %-62s %8.2f %-6s (target <= %.2f): %s\n", what, figure, unit, target,
         VerdictAtMost(figure, target, from));
  fflush(stdout);
}

// The figures with targets: first displays against libjpeg-turbo's decoding in this run, the
// best fit of a 24-megapixel photo against its full size, Previous after Next, and the peak
// memory of best-fit shows of 24-megapixel photos as JPEG, PNG and WebP files.
void TargetTable(const TempDir &dir) {
  const std::string small = dir.File("small.bmp"), photo12 = dir.File("p12.jpg"),
                    photo24 = dir.File("p24.jpg"), other24 = dir.File("q24.jpg");
  WriteBmp(small, 64, 48, Quadrants);
  WriteBytes(photo12, MakeJpeg(4000, 3000));
  WriteBytes(dir.File("p12b.jpg"), MakeJpeg(4000, 3000));
  WriteBytes(dir.File("p12c.jpg"), MakeJpeg(4000, 3000));
  WriteBytes(photo24, MakeJpeg(6000, 4000));
  JpegOptions other;
  other.quality = 85;
  WriteBytes(other24, MakeJpeg(6000, 4000, other));
  printf("\ntargets:\n");

  DecodeJpegFromFile(photo12);  // warm the file cache
  const double libjpeg12 = Median(3, [&](int) { DecodeJpegFromFile(photo12); });
  const double first12 = FirstDisplay(small, photo12, kModeCentred);
  printf("  %-62s %8.2f ms\n", "libjpeg-turbo decode of a 12 MP JPEG to memory", libjpeg12);
  printf("  %-62s %8.2f ms\n", "first display of it, centred", first12);
  Verdict("first display 12 MP centred / libjpeg-turbo decode", first12 / libjpeg12, "x", 1.15,
          {first12, libjpeg12});

  const double full24 = FirstDisplay(small, photo24, kModeCentred);
  const double fit24 = FirstDisplay(small, photo24, kModeStretched);
  printf("  %-62s %8.2f ms\n", "first display of a 24 MP JPEG, centred", full24);
  printf("  %-62s %8.2f ms\n", "first display of it in best fit", fit24);
  Verdict("first display 24 MP best fit / centred", fit24 / full24, "x", 0.35, {fit24, full24});

  const double back = PreviousAfterNext(photo12, dir.File("p12b.jpg"), dir.File("p12c.jpg"));
  Verdict("Previous right after Next, 12 MP JPEGs, read ahead", back, "ms", kFrameMs, {back});

  std::vector<std::string> show;
  for (int i = 0; i < 4; i++) show.push_back(i % 2 ? other24 : photo24);
  const double peak = PeakPrivateMb(dir, show, 6);
  Verdict("peak private bytes, best-fit show of 24 MP JPEGs (Lumora.exe)", peak, "MB", 100, {peak});

  // The same shows of PNG and WebP files: PNGs every other one with alpha, WebPs opaque (as
  // photos are). For information, a show of WebPs with alpha: libwebp decodes the alpha plane of
  // a lossy picture, and a lossless picture, whole at 4 bytes a pixel even when scaling.
  std::vector<std::string> pngs, webps, alphaWebps;
  for (int i = 0; i < 4; i++) {
    const std::string name = dir.File("p24-" + std::to_string(i));
    pngs.push_back(name + ".png");
    (i < 2 ? webps : alphaWebps).push_back(name + ".webp");
    WritePngAndWebp(i % 2 ? other24 : photo24, i >= 2, pngs.back(), name + ".webp");
  }
  std::swap(pngs[1], pngs[2]);  // RGB, RGBA, RGB, RGBA
  for (auto *list : {&webps, &alphaWebps}) list->insert(list->end(), {(*list)[0], (*list)[1]});
  const double pngPeak = PeakPrivateMb(dir, pngs, 6);
  Verdict("peak private bytes, best-fit show of 24 MP PNGs (Lumora.exe)", pngPeak, "MB", 100,
          {pngPeak});
  const double webpPeak = PeakPrivateMb(dir, webps, 6);
  Verdict("peak private bytes, best-fit show of 24 MP WebPs (Lumora.exe)", webpPeak, "MB", 100,
          {webpPeak});
  printf("  %-62s %8.2f MB\n", "peak private bytes, the same WebPs with alpha",
         PeakPrivateMb(dir, alphaWebps, 6));
}

}  // namespace

int main(int argc, char **argv) {
  // "targets" runs only the figures with targets.
  const bool targetsOnly = argc > 1 && strcmp(argv[1], "targets") == 0;
  TempDir dir;
  // The menu pictures come from the program's resources. The window class is registered for
  // that module, which every viewer window of the run is made for: a window made for another
  // module finds no class.
  ProgramInstance = ProgramResources("Lumora.exe");
  if (!ProgramInstance) {
    fprintf(stderr, "no Lumora.exe beside the benchmark\n");
    return 1;
  }
  gShow.ReadDisplaySize();
  if (!RegisterViewerClass()) {
    fprintf(stderr, "no viewer class\n");
    return 1;
  }
  if (argc > 1 && strcmp(argv[1], "start") == 0) {  // the start tables alone
    StartTable(dir);
    FolderStartTable(dir);
    return BenchExitCode();
  }
  std::string small = dir.File("screen.bmp"), large = dir.File("large.bmp"),
              photo = dir.File("photo.jpg");
  WriteBmp(small, 800, 600, Quadrants);
  WriteBmp(large, 1600, 1200, Quadrants);
  WriteBytes(photo, MakeJpeg(4000, 3000));
  if (targetsOnly) {
    TargetTable(dir);
    return BenchExitCode();
  }
  if (!CreateViewerWindow()) {
    fprintf(stderr, "no viewer window\n");
    return 1;
  }
  ShowWindow(gViewerWindow, SW_SHOWNORMAL);
  gShow.Images = ImageList{};
  AddListEntry(&gShow.Images, photo.c_str(), kModeCentred);  // index 2
  AddListEntry(&gShow.Images, large.c_str(), kModeCentred);  // index 1
  AddListEntry(&gShow.Images, small.c_str(), kModeCentred);  // index 0
  printf("viewer benchmark on a %d x %d screen; a 60 Hz frame is %.2f ms\n", gShow.ScreenWidth,
         gShow.ScreenHeight, kFrameMs);

  GoToPicture(0);
  UpdateWindow(gViewerWindow);
  double zoomIn = Median(5, [](int) {
    gView.Zoom = 1;
    ApplyZoom();
    gView.Zoom = 2;
    CentreView();
    ApplyZoom();
  });
  Line("zoom 800 x 600 to 1600 x 1200 and back (stretch into the buffer)", zoomIn);
  Line("pan step of it, 10 pixels (copy from the buffer)", PanStep());
  Line("repaint of it (erase and copy)", Repaint());

  GoToPicture(1);
  UpdateWindow(gViewerWindow);
  Line("pan step of a 1600 x 1200 picture at actual size", PanStep());
  Line("repaint of it", Repaint());
  double zoomOut = Median(5, [](int) {
    gView.Zoom = 1;
    ApplyZoom();
    gView.Zoom = -2;
    ApplyZoom();
  });
  Line("zoom it out to 800 x 600 and back (halftone reduction)", zoomOut);

  double halftone = Reduction(1600, 1200, HALFTONE);
  double plain = Reduction(1600, 1200, COLORONCOLOR);
  Line("1600 x 1200 to 800 x 600, HALFTONE", halftone);
  Line("1600 x 1200 to 800 x 600, COLORONCOLOR", plain);
  printf("  halftone / plain reduction: %.2f\n", halftone / plain);

  double decode = Median(3, [&](int) { GlobalFree(ReadJpegFile(photo.c_str())); });
  Line("decode a 4000 x 3000 JPEG (ReadJpegFile)", decode);
  DestroyWindow(gViewerWindow);
  Pump();
  FreeImageList(&gShow.Images);
  ChangeTable(dir);
  StartTable(dir);
  FolderStartTable(dir);
  TargetTable(dir);
  return BenchExitCode();
}

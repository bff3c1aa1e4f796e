// Viewer benchmark under Wine, on the real window: a pan step and a repaint of a picture shown
// at 1600 x 1200, the halftone reduction against the default stretch, and a slide change to
// a 12-megapixel JPEG. Figures are printed against the 60 Hz frame budget measured here.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "jpegreader.h"
#include "jpegwriter.h"
#include "settings.h"
#include "testfiles.h"
#include "view.h"
#include "viewerdriver.h"
#include "window.h"

namespace {

const double kFrameMs = 1000.0 / 60.0;

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

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
    View.PosX += i % 2 ? 10 : -10;
    View.PosY += i % 2 ? 10 : -10;
    ApplyPan();
  });
}

double Repaint() {
  return Median(50, [](int) {
    InvalidateRect(ViewerWindow, nullptr, TRUE);
    UpdateWindow(ViewerWindow);
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

}  // namespace

int main() {
  TempDir dir;
  std::string small = dir.File("screen.bmp"), large = dir.File("large.bmp"),
              photo = dir.File("photo.jpg");
  WriteBmp(small, 800, 600, Quadrants);
  WriteBmp(large, 1600, 1200, Quadrants);
  WriteBytes(photo, MakeJpeg(4000, 3000));

  ReadDisplaySize();
  if (!RegisterViewerClass() || !CreateViewerWindow()) {
    fprintf(stderr, "no viewer window\n");
    return 1;
  }
  ShowWindow(ViewerWindow, SW_SHOWNORMAL);
  Images = ImageList{};
  AddListEntry(&Images, photo.c_str(), kModeCentred);  // index 2
  AddListEntry(&Images, large.c_str(), kModeCentred);  // index 1
  AddListEntry(&Images, small.c_str(), kModeCentred);  // index 0
  printf("viewer benchmark on a %d x %d screen; a 60 Hz frame is %.2f ms\n", ScreenWidth,
         ScreenHeight, kFrameMs);

  GoToPicture(0);
  UpdateWindow(ViewerWindow);
  double zoomIn = Median(5, [](int) {
    View.Zoom = 1;
    ApplyZoom();
    View.Zoom = 2;
    CentreView();
    ApplyZoom();
  });
  Line("zoom 800 x 600 to 1600 x 1200 and back (stretch into the buffer)", zoomIn);
  Line("pan step of it, 10 pixels (copy from the buffer)", PanStep());
  Line("repaint of it (erase and copy)", Repaint());

  GoToPicture(1);
  UpdateWindow(ViewerWindow);
  Line("pan step of a 1600 x 1200 picture at actual size", PanStep());
  Line("repaint of it", Repaint());
  double zoomOut = Median(5, [](int) {
    View.Zoom = 1;
    ApplyZoom();
    View.Zoom = -2;
    ApplyZoom();
  });
  Line("zoom it out to 800 x 600 and back (halftone reduction)", zoomOut);

  double halftone = Reduction(1600, 1200, HALFTONE);
  double plain = Reduction(1600, 1200, COLORONCOLOR);
  Line("1600 x 1200 to 800 x 600, HALFTONE", halftone);
  Line("1600 x 1200 to 800 x 600, COLORONCOLOR", plain);
  printf("  halftone / plain reduction: %.2f\n", halftone / plain);

  double decode = Median(3, [&](int) { GlobalFree(ReadJpegFile(photo.c_str())); });
  double change = Median(3, [](int i) {
    GoToPicture(i % 2 ? 0 : 2);  // alternately the JPEG and the small BMP, timed on the JPEG
    UpdateWindow(ViewerWindow);
    if (i % 2) {
      GoToPicture(2);
      UpdateWindow(ViewerWindow);
    }
  });
  Line("decode a 4000 x 3000 JPEG (ReadJpegFile)", decode);
  Line("slide change to it (load, display bitmap, paint)", change);
  printf("  slide change / decode: %.2f\n", change / decode);

  DestroyWindow(ViewerWindow);
  Pump();
  FreeImageList(&Images);
  return 0;
}

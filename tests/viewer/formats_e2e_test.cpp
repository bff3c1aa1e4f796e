// Every kind of picture file in the real viewer: a TIFF and an ICO that only the system's
// decoders read, a PNG under a JPEG's name, and a PNG with alpha tiled and fitted, checked as
// screen pixels on the 800 x 600 test screen.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "pngwriter.h"
#include "testfiles.h"
#include "uidriver.h"
#include "viewerdriver.h"

namespace {

const int kW = 800, kH = 600;

// A sample picture made at build time (tests/harness/make-system-samples.sh), on Wine's Z:.
std::string Sample(const std::string &name) {
  std::string path = std::string("Z:") + LUMORA_WIC_SAMPLES + "/" + name;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// The four quadrants' colours: top-left, top-right, bottom-left, bottom-right.
struct Quads {
  COLORREF colours[4];
};
const Quads kOpaque = {{kRed, kGreen, kBlue, kWhite}};
// The alpha PNG below: its lower half at alpha 128, over black.
const Quads kHalfLower = {{kRed, kGreen, RGB(0, 0, 128), RGB(128, 128, 128)}};

// The quadrant picture drawn at (x, y), w x h: its corners and where the quadrants meet, and
// (framed) black diagonally outside its corners.
::testing::AssertionResult DrawnAt(const Quads &q, int x, int y, int w, int h, bool framed) {
  ScreenShot s;
  struct Probe {
    int x, y;
    COLORREF want;
  } probes[] = {
      {x, y, q.colours[0]},
      {x + w - 1, y, q.colours[1]},
      {x, y + h - 1, q.colours[2]},
      {x + w - 1, y + h - 1, q.colours[3]},
      {x + w / 2 - 2, y + h / 2 - 2, q.colours[0]},
      {x + w / 2 + 1, y + h / 2 - 2, q.colours[1]},
      {x + w / 2 - 2, y + h / 2 + 1, q.colours[2]},
      {x + w / 2 + 1, y + h / 2 + 1, q.colours[3]},
      {x - 1, y - 1, framed ? kBlack : CLR_INVALID},
      {x + w, y + h, framed ? kBlack : CLR_INVALID},
  };
  for (const Probe &p : probes) {
    if (p.want == CLR_INVALID || p.x < 0 || p.y < 0 || p.x >= kW || p.y >= kH) continue;
    if (!Near(s.At(p.x, p.y), p.want))
      return ::testing::AssertionFailure() << "pixel (" << p.x << ", " << p.y << ") is "
                                           << Hex(s.At(p.x, p.y)) << ", want " << Hex(p.want);
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult EventuallyDrawnAt(const Quads &q, int x, int y, int w, int h,
                                             bool framed = true) {
  ::testing::AssertionResult last = ::testing::AssertionFailure();
  WaitFor([&] { return bool(last = DrawnAt(q, x, y, w, h, framed)); }, 3000);
  return last;
}

// A w x h quadrant PNG, RGBA with the lower half's alpha as given.
std::string QuadrantPng(int w, int h, unsigned lowerAlpha) {
  std::vector<unsigned> samples;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      const COLORREF c = Quadrants(x, y, w, h);
      samples.insert(samples.end(),
                     {GetRValue(c), GetGValue(c), GetBValue(c), y < h / 2 ? 255u : lowerAlpha});
    }
  PngOptions rgba;
  rgba.colorType = 6;
  return MakePng(w, h, samples, rgba);
}

TEST(PictureFormatsTest, SystemPicturesMisnamedPngAndAlphaInEveryPlacement) {
  TempDir dir;
  WriteBytes(dir.File("web.jpg"), QuadrantPng(200, 100, 255));  // a PNG under a JPEG's name
  WriteBytes(dir.File("alpha.png"), QuadrantPng(100, 80, 128));
  const struct {
    std::string entry;
    const Quads &quads;
    int x, y, w, h;
    bool tiled;
  } slides[] = {
      {"centred=" + Sample("quad.tiff"), kOpaque, 240, 180, 320, 240, false},
      {"centred=" + Sample("quad.ico"), kOpaque, 368, 268, 64, 64, false},
      {"centred=" + dir.File("web.jpg"), kOpaque, 300, 250, 200, 100, false},
      {"tiled=" + dir.File("alpha.png"), kHalfLower, 0, 0, 100, 80, true},
      {"stretched=" + dir.File("alpha.png"), kHalfLower, 90, 0, 620, 600, false},  // +520 a side
      {"stretched=" + Sample("quad.tiff"), kOpaque, 60, 0, 680, 600, false},       // +360
  };
  std::vector<std::string> lines;  // the list holds its entries last to first
  for (const auto &slide : slides) lines.insert(lines.begin(), slide.entry);
  WriteList(dir.File("list.wcl"), lines);
  ResetViewerSettings();
  ViewerProcess viewer(dir.File("list.wcl"));
  ASSERT_NE(nullptr, viewer.StartShow());
  for (const auto &slide : slides) {
    SCOPED_TRACE(slide.entry);
    if (slide.tiled) {
      for (int x : {0, 100, 700})
        for (int y : {0, 80, 560})
          EXPECT_TRUE(EventuallyDrawnAt(slide.quads, x, y, slide.w, slide.h, false));
    } else {
      EXPECT_TRUE(EventuallyDrawnAt(slide.quads, slide.x, slide.y, slide.w, slide.h));
    }
    PressKey(VK_RETURN);
    viewer.Settle();
  }
}

}  // namespace

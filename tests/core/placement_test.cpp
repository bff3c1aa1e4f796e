#include <gtest/gtest.h>

#include <vector>

#include "placement.h"

// Found by argument lookup, so they live beside PlaceRect.
static bool operator==(const PlaceRect &a, const PlaceRect &b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
static std::ostream &operator<<(std::ostream &os, const PlaceRect &r) {
  return os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

const LONG kW = 800, kH = 600;

PictureLayout Shown(LONG w, LONG h) {
  PictureLayout l{};
  l.PictureWidth = w;
  l.PictureHeight = h;
  LayOutActualSize(&l, kW, kH);
  return l;
}

// One zoom step as the menu commands take it: new factor, view centred, laid out.
int Zoom(PictureLayout *l, LONG zoom, std::vector<PlaceRect> *bare = nullptr) {
  l->Zoom = zoom;
  PlaceRect r[kMaxUncovered];
  int n = 0;
  int ok = LayOutZoom(l, kW, kH, r, &n);
  if (ok) l->BufferZoom = l->Zoom;  // what painting does
  if (bare) bare->assign(r, r + n);
  return ok;
}

int Pan(PictureLayout *l, LONG dx, LONG dy, std::vector<PlaceRect> *bare = nullptr) {
  l->PosX += dx;
  l->PosY += dy;
  PlaceRect r[kMaxUncovered];
  int n = 0;
  int moved = LayOutPan(l, kW, kH, r, &n);
  if (bare) bare->assign(r, r + n);
  return moved;
}

void ExpectAt(const PictureLayout &l, LONG x, LONG y, LONG w, LONG h) {
  EXPECT_EQ(x, l.PosX);
  EXPECT_EQ(y, l.PosY);
  EXPECT_EQ(w, l.ZoomedWidth);
  EXPECT_EQ(h, l.ZoomedHeight);
}

TEST(PlacementTest, ZoomStepsSkipZeroAndMinusOne) {
  EXPECT_EQ(2, ZoomStepIn(1));
  EXPECT_EQ(2, ZoomStepIn(-1));
  EXPECT_EQ(-1, ZoomStepIn(-2));
  EXPECT_EQ(-2, ZoomStepOut(1));
  EXPECT_EQ(1, ZoomStepOut(2));
  EXPECT_EQ(-3, ZoomStepOut(-2));
}

TEST(PlacementTest, ZoomInOutAndTheTwoScreenLimit) {
  PictureLayout l = Shown(640, 480);
  ExpectAt(l, 80, 60, 640, 480);
  EXPECT_EQ(400, l.CentreX);

  l.CentreX = kW / 2, l.CentreY = kH / 2;
  ASSERT_EQ(1, Zoom(&l, ZoomStepIn(l.Zoom)));
  ExpectAt(l, -240, -180, 1280, 960);

  EXPECT_EQ(0, Zoom(&l, ZoomStepIn(l.Zoom)));  // 1920 x 1440 exceeds 1600 x 1200
  EXPECT_EQ(2, l.Zoom);
  ExpectAt(l, -240, -180, 1280, 960);

  std::vector<PlaceRect> bare;
  l = Shown(640, 480);
  ASSERT_EQ(1, Zoom(&l, ZoomStepOut(l.Zoom), &bare));
  ExpectAt(l, 240, 180, 320, 240);
  // What the 640 x 480 at (80, 60) leaves bare around the 320 x 240 at (240, 180).
  std::vector<PlaceRect> want = {
      {80, 60, 240, 540}, {560, 60, 720, 540}, {240, 60, 560, 180}, {240, 420, 560, 540}};
  EXPECT_EQ(want, bare);

  ASSERT_EQ(1, Zoom(&l, ZoomStepIn(l.Zoom), &bare));  // -2 -> -1: actual size again
  EXPECT_EQ(-1, l.Zoom);
  ExpectAt(l, 80, 60, 640, 480);
  EXPECT_TRUE(bare.empty());  // a growing picture covers its old rectangle
}

TEST(PlacementTest, ZoomRefusesEmptyAndOversizedPictures) {
  PictureLayout one = Shown(1, 1);
  EXPECT_EQ(0, Zoom(&one, ZoomStepOut(one.Zoom)));  // 1 / 2 is 0
  EXPECT_EQ(1, one.Zoom);
  ExpectAt(one, 399, 299, 1, 1);

  PictureLayout none = Shown(0, 0);  // nothing ever loaded
  EXPECT_EQ(0, Zoom(&none, 2));

  PictureLayout huge = Shown(0x7fff0000, 3);
  EXPECT_EQ(0, Zoom(&huge, 2));  // would overflow: refused, not wrapped

  PictureLayout big = Shown(1601, 100);
  EXPECT_EQ(0, Zoom(&big, ZoomStepIn(big.Zoom)));
  EXPECT_EQ(1, Zoom(&big, ZoomStepOut(big.Zoom)));
}

TEST(PlacementTest, ClickZoomKeepsTheClickedSideInView) {
  PictureLayout l = Shown(640, 480);
  EXPECT_TRUE(PointOnPicture(&l, 100, 300));
  EXPECT_TRUE(PointOnPicture(&l, 720, 540));  // edges included
  EXPECT_FALSE(PointOnPicture(&l, 721, 300));
  EXPECT_FALSE(PointOnPicture(&l, 79, 300));

  CentreOnClick(&l, 100, 300);
  EXPECT_EQ(700, l.CentreX);
  EXPECT_EQ(300, l.CentreY);
  ASSERT_EQ(1, Zoom(&l, ZoomStepIn(l.Zoom)));
  ExpectAt(l, 0, -180, 1280, 960);  // centre 700 would open a gap at the left: pulled to 640
  EXPECT_EQ(640, l.CentreX);
}

// A refused zoom changes nothing, the zoom centre included: the next refused pan keeps the
// picture where it is drawn instead of jumping to the centre of the refused step.
TEST(PlacementTest, RefusedZoomLeavesTheCentreOfTheDrawnPicture) {
  PictureLayout l = Shown(640, 480);
  ASSERT_EQ(1, Zoom(&l, 2));
  ASSERT_EQ(1, Pan(&l, 240, 0));
  ExpectAt(l, 0, -180, 1280, 960);

  CentreOnClick(&l, 100, 300);  // a click at the limit: zoom 3 is too large
  EXPECT_EQ(0, Zoom(&l, ZoomStepIn(l.Zoom)));
  EXPECT_EQ(640, l.CentreX);
  EXPECT_EQ(300, l.CentreY);
  EXPECT_EQ(0, Pan(&l, 10, 0));  // would open a gap at the left: refused whole
  ExpectAt(l, 0, -180, 1280, 960);

  l.CentreX = kW / 2, l.CentreY = kH / 2;  // "Zoom In" centres the view first
  EXPECT_EQ(0, Zoom(&l, ZoomStepIn(l.Zoom)));
  EXPECT_EQ(0, Pan(&l, 10, 0));
  ExpectAt(l, 0, -180, 1280, 960);
}

TEST(PlacementTest, PanMovesOnlyWhereNoGapOpens) {
  PictureLayout l = Shown(640, 480);
  ASSERT_EQ(1, Zoom(&l, 2));
  std::vector<PlaceRect> bare;
  ASSERT_EQ(1, Pan(&l, -10, 0, &bare));
  ExpectAt(l, -250, -180, 1280, 960);
  EXPECT_EQ(std::vector<PlaceRect>({{1030, -180, 1040, 780}}), bare);
  EXPECT_EQ(-250 + 640, l.CentreX);

  ASSERT_EQ(1, Pan(&l, 0, 10, &bare));
  EXPECT_EQ(-170, l.PosY);
  EXPECT_EQ(std::vector<PlaceRect>({{-250, -180, 1030, -170}}), bare);

  // A 10-pixel step that would open a 5-pixel gap is refused whole.
  l.PosX = l.PrevX = -5;
  l.CentreX = -5 + 640;
  EXPECT_EQ(0, Pan(&l, 10, 0));
  EXPECT_EQ(-5, l.PosX);
  l.PosX = l.PrevX = -475;
  l.CentreX = -475 + 640;
  EXPECT_EQ(0, Pan(&l, -10, 0));  // right edge would leave the screen's right edge bare
  EXPECT_EQ(-475, l.PosX);

  PictureLayout small = Shown(640, 480);
  for (int d : {-10, 10}) {
    EXPECT_EQ(0, Pan(&small, d, 0));
    EXPECT_EQ(0, Pan(&small, 0, d));
  }
  ExpectAt(small, 80, 60, 640, 480);

  PictureLayout wide = Shown(1280, 480);  // pans sideways only
  EXPECT_EQ(1, Pan(&wide, -10, -10));
  ExpectAt(wide, -250, 60, 1280, 480);
}

TEST(PlacementTest, ZoomAfterPanKeepsTheCentreWithoutGaps) {
  PictureLayout l = Shown(1000, 800);
  ASSERT_EQ(1, Pan(&l, -100, -100));
  EXPECT_EQ(-200, l.PosX);
  ASSERT_EQ(1, Zoom(&l, 1));  // "Actual size": the centre stays where the pan left it
  ExpectAt(l, -200, -200, 1000, 800);
  std::vector<PlaceRect> bare;
  ASSERT_EQ(1, Zoom(&l, -2, &bare));  // now narrower than the screen: centred
  ExpectAt(l, 150, 100, 500, 400);
  for (const PlaceRect &r : bare) {  // the uncovered strips never overlap the picture
    EXPECT_TRUE(r.right <= 150 || r.left >= 650 || r.bottom <= 100 || r.top >= 500) << r;
  }
  EXPECT_FALSE(bare.empty());
}

TEST(PlacementTest, BestFitAddsTheSameToBothSides) {
  EXPECT_EQ((PlaceRect{75, 0, 725, 600}), BestFitRect(kW, kH, 100, 50));
  EXPECT_EQ((PlaceRect{0, 200, 800, 400}), BestFitRect(kW, kH, 1600, 1000));
  EXPECT_EQ((PlaceRect{0, 0, 800, 600}), BestFitRect(kW, kH, 800, 600));
  EXPECT_EQ((PlaceRect{0, 50, 800, 550}), BestFitRect(kW, kH, 700, 400));
}

TEST(PlacementTest, BestFitWithNoDrawableSizeScalesProportionally) {
  EXPECT_EQ((PlaceRect{0, 240, 800, 360}), BestFitRect(kW, kH, 2000, 300));
  EXPECT_EQ((PlaceRect{360, 0, 440, 600}), BestFitRect(kW, kH, 200, 1500));
  PlaceRect thin = BestFitRect(kW, kH, 100000, 1);  // never less than one pixel
  EXPECT_EQ(800, thin.right - thin.left);
  EXPECT_EQ(1, thin.bottom - thin.top);
  EXPECT_EQ((PlaceRect{0, 0, 0, 0}), BestFitRect(kW, kH, 0, 50));
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>

#include "fixedclock.h"
#include "random.h"

namespace {

int Draw() {
  return (int)std::lround(RandomUnit() * 32767.0);
}

class RandomTest : public ::testing::Test {
 protected:
  void TearDown() override { SetRandomClock(nullptr); }
};

TEST_F(RandomTest, WorkedExampleAtHalfPastTwelve) {
  UseFixedClock(12, 30, 15, 500);
  EXPECT_EQ(12516, Draw());
  EXPECT_EQ(22117, Draw());
  EXPECT_EQ(3732, Draw());

  UseFixedClock(12, 30, 15, 500);
  EXPECT_EQ(3, RandomRange(0, 9));
  EXPECT_EQ(6, RandomRange(0, 9));
  EXPECT_EQ(1, RandomRange(0, 9));
}

TEST_F(RandomTest, SeedsOnlyOnceUntilTheClockChanges) {
  UseFixedClock(12, 30, 15, 500);
  Draw();
  SetFixedClockTime(12, 30, 16, 500);  // a later time must not reseed a running generator
  EXPECT_EQ(22117, Draw());
}

TEST_F(RandomTest, MidnightSeedGivesZeroForever) {
  UseFixedClock(0, 0, 0, 0);
  for (int i = 0; i < 100; i++) EXPECT_EQ(0.0, RandomUnit());
  for (int i = 0; i < 10; i++) EXPECT_EQ(-7, RandomRange(-7, 20));
}

TEST_F(RandomTest, RangeOfOneValue) {
  UseFixedClock(9, 41, 7, 3);
  for (int i = 0; i < 1000; i++) EXPECT_EQ(5, RandomRange(5, 5));
}

TEST_F(RandomTest, UnitDrawsStayWithinZeroAndOne) {
  UseFixedClock(23, 59, 59, 999);
  for (int i = 0; i < 100000; i++) {
    double r = RandomUnit();
    ASSERT_GE(r, 0.0);
    ASSERT_LE(r, 1.0);
  }
}

// The draw t = 32767 yields exactly 1.0; the range must still end at b.
TEST_F(RandomTest, TopDrawStaysInsideTheRange) {
  for (int ms = 0; ms < 1000; ms++) {
    UseFixedClock(7, 13, 42, ms);
    int k = 0;
    while (k < 5000 && RandomUnit() != 1.0) k++;
    if (k == 5000) continue;
    UseFixedClock(7, 13, 42, ms);
    for (int i = 0; i < k; i++) RandomUnit();
    EXPECT_EQ(9, RandomRange(0, 9));
    UseFixedClock(7, 13, 42, ms);
    for (int i = 0; i < k; i++) RandomUnit();
    EXPECT_EQ(-1, RandomRange(-3, -1));
    return;
  }
  FAIL() << "no draw of 32767 found";
}

TEST_F(RandomTest, EveryValueOfASmallRangeAppears) {
  UseFixedClock(15, 2, 33, 871);
  int seen[6] = {};
  for (int i = 0; i < 6000; i++) {
    int n = RandomRange(10, 15);
    ASSERT_GE(n, 10);
    ASSERT_LE(n, 15);
    seen[n - 10]++;
  }
  for (int c : seen) EXPECT_GT(c, 600);
}

}  // namespace

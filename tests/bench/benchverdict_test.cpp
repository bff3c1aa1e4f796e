// Verdicts on figures: a figure resting on a missing measurement is never "met", and the
// benchmark then exits non-zero.
#include "benchverdict.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

TEST(BenchVerdict, AMissingMeasurementIsNotMeasuredAndFailsTheRun) {
  const double nan = std::nan("");
  const struct {
    double figure;
    std::initializer_list<double> from;
    const char *atMost, *atLeast;  // against a target of 1
  } cases[] = {
      {0.5, {2.0, 4.0}, "met", "NOT MET"},
      {3.0, {3.0}, "NOT MET", "met"},
      {-4.0, {1.0, 5.0}, "met", "NOT MET"},  // a difference of two measurements
      {0.0, {0.0, 104.2}, "NOT MEASURED", "NOT MEASURED"},
      {nan, {0.0, 0.0}, "NOT MEASURED", "NOT MEASURED"},
      {0.0, {0.0}, "NOT MEASURED", "NOT MEASURED"},
      {INFINITY, {5.0, 0.0}, "NOT MEASURED", "NOT MEASURED"},
      {0.5, {-1.0, 2.0}, "NOT MEASURED", "NOT MEASURED"},
  };
  int exitCode = 0;  // measured figures first: the run fails from the first missing one on
  for (const auto &c : cases) {
    SCOPED_TRACE(c.figure);
    EXPECT_EQ(std::string(c.atMost), VerdictAtMost(c.figure, 1.0, c.from));
    EXPECT_EQ(std::string(c.atLeast), VerdictAtLeast(c.figure, 1.0, c.from));
    if (std::string(c.atMost) == "NOT MEASURED") exitCode = 1;
    EXPECT_EQ(exitCode, BenchExitCode());
  }
}

}  // namespace

#include "benchverdict.h"

#include <cmath>

namespace {

bool notMeasured = false;

// "NOT MEASURED" (noted for the exit code) when the figure or one of its measurements is
// missing, else null.
const char *Missing(double figure, std::initializer_list<double> from) {
  bool measured = std::isfinite(figure);
  for (double value : from) measured = measured && Measured(value);
  if (measured) return nullptr;
  notMeasured = true;
  return "NOT MEASURED";
}

}  // namespace

bool Measured(double value) {
  return std::isfinite(value) && value > 0;
}

const char *VerdictAtMost(double figure, double target, std::initializer_list<double> from) {
  if (const char *missing = Missing(figure, from)) return missing;
  return figure <= target ? "met" : "NOT MET";
}

const char *VerdictAtLeast(double figure, double target, std::initializer_list<double> from) {
  if (const char *missing = Missing(figure, from)) return missing;
  return figure >= target ? "met" : "NOT MET";
}

int BenchExitCode() {
  return notMeasured ? 1 : 0;
}

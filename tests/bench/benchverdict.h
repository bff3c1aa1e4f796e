// The benchmarks' verdicts: a figure against its target gives "met" or "NOT MET", or
// "NOT MEASURED" when the figure, or a measurement it was worked out from, is missing: zero,
// negative or not a finite number (a step that failed and took no time, a window or a process
// that could not be made). Each benchmark returns BenchExitCode() from main, so that one that
// measured nothing fails instead of passing.
#pragma once

#include <initializer_list>

// True for a measurement: a finite number above zero.
bool Measured(double value);

// The verdict on a figure that is to be at most (or at least) its target. `from` holds the
// measurements the figure comes from (the figure itself when it is one); the figure itself
// must be finite.
const char *VerdictAtMost(double figure, double target, std::initializer_list<double> from);
const char *VerdictAtLeast(double figure, double target, std::initializer_list<double> from);

// 0, or 1 once a verdict was "NOT MEASURED".
int BenchExitCode();

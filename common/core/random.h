// The package's pseudo-random generator: an additive two-term generator modulo 32767, seeded
// from the time of day (UTC) on its first use in a run.
#pragma once

#include "platform.h"

// A double r with 0 <= r <= 1.
double RandomUnit();

// An integer n with a <= n <= b (for a <= b).
int RandomRange(int a, int b);

// Where the generator reads the time for its seed. Setting a clock (or null, for the system
// clock) also forgets the seed, so the next draw seeds again from that clock.
typedef void (*RandomClock)(LPSYSTEMTIME time);
void SetRandomClock(RandomClock clock);

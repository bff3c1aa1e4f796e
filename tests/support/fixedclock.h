// A stopped clock for the random generator, so that its seed, and every draw after it, is the
// same in each run.
#pragma once

// From now on the generator seeds from this time of day (SetRandomClock, which also forgets
// the seed); SetRandomClock(nullptr) gives it the system clock back.
void UseFixedClock(int hour, int minute, int second, int milliseconds);

// Sets the stopped clock to another time without telling the generator, which keeps its seed.
void SetFixedClockTime(int hour, int minute, int second, int milliseconds);

#include "fixedclock.h"

#include "random.h"

namespace {

SYSTEMTIME fixedTime;

void FixedClock(LPSYSTEMTIME time) {
  *time = fixedTime;
}

}  // namespace

void UseFixedClock(int hour, int minute, int second, int milliseconds) {
  SetFixedClockTime(hour, minute, second, milliseconds);
  SetRandomClock(FixedClock);
}

void SetFixedClockTime(int hour, int minute, int second, int milliseconds) {
  fixedTime = SYSTEMTIME{};
  fixedTime.wHour = (WORD)hour;
  fixedTime.wMinute = (WORD)minute;
  fixedTime.wSecond = (WORD)second;
  fixedTime.wMilliseconds = (WORD)milliseconds;
}

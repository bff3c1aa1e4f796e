#include "random.h"

namespace {

const int kModulus = 32767;
const int kWarmUpDraws = 30;

int s1, s2;
bool seeded;
RandomClock clockSource;  // null: the system clock

int Step() {
  int u = s1 + s2;
  if (u > kModulus) u -= kModulus;
  int t = 2 * u;
  if (t > kModulus) t -= kModulus;
  s1 = s2;
  s2 = t;
  return t;
}

void Seed() {
  SYSTEMTIME now;
  if (clockSource)
    clockSource(&now);
  else
    GetSystemTime(&now);
  s1 = 2 * (now.wMinute + now.wMilliseconds + 2 * now.wSecond);
  s2 = 2 * ((now.wMinute + 1) * now.wSecond + now.wHour);
  if (s1 > kModulus) s1 -= kModulus;
  if (s2 > kModulus) s2 -= kModulus;
  seeded = true;
  for (int i = 0; i < kWarmUpDraws; i++) Step();
}

}  // namespace

void SetRandomClock(RandomClock clock) {
  clockSource = clock;
  seeded = false;
}

double RandomUnit() {
  if (!seeded) Seed();
  return Step() * (1.0 / kModulus);
}

int RandomRange(int a, int b) {
  double span = (double)b - (double)a + 1.0;
  double n = (double)a + (double)(long long)(RandomUnit() * span);
  return n > b ? b : (int)n;
}

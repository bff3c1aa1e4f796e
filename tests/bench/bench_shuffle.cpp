// Shuffling speed: ShuffleImageList against the walk from the head that each exchange made
// before (SwapListEntries, which finds both entries from the list's head), for the same draws.
// The walk is quadratic (100,000 entries would take 25 times its 20,000), so it is timed at
// 20,000 entries only. Target: shuffling 100,000 entries takes at most 1/100 of the time the
// walk takes for 20,000.
#include <cstdio>
#include <string>

#include "benchsupport.h"
#include "benchverdict.h"
#include "imagelist.h"
#include "random.h"

namespace {

const double kTarget = 0.01;

void Walk(ImageList *list) {
  for (int i = 0; i < list->count - 2; i++)
    SwapListEntries(list, i, RandomRange(i + 1, list->count - 1));
}

double Time(void (*shuffle)(ImageList *), int count, int rounds) {
  ImageList list{};
  for (int i = 0; i < count; i++)
    AddListEntry(&list, ("C:\\Pictures\\picture" + std::to_string(i) + ".bmp").c_str(), i % 3);
  const double seconds = SecondsPerCall([&] { shuffle(&list); }, rounds);
  FreeImageList(&list);
  return seconds;
}

}  // namespace

int main() {
  const int kSmall = 20000, kLarge = 100000;
  const double walk = Time(Walk, kSmall, 1);
  const double small = Time(ShuffleImageList, kSmall, 15);
  const double large = Time(ShuffleImageList, kLarge, 9);
  printf("  %-8s %12s %12s\n", "entries", "walk ms", "shuffle ms");
  printf("  %-8d %12.1f %12.3f\n", kSmall, walk * 1000, small * 1000);
  printf("  %-8d %12s %12.3f\n", kLarge, "-", large * 1000);
  const double ratio = large / walk;
  printf("shuffle of %d entries / walk of %d entries: %.4f (target <= %.2f): %s\n", kLarge, kSmall,
         ratio, kTarget, VerdictAtMost(ratio, kTarget, {large, walk}));
  return BenchExitCode();
}

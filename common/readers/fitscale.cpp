#include "fitscale.h"

#include <cmath>

namespace {

// Rounds up, short of rounding errors on exact sizes.
LONG Up(double size) {
  const double up = std::ceil(size - 1e-9);
  return up < 1 ? 1 : (LONG)up;
}

// The largest k for which ceil(size / k) is still at least need.
LONG LargestFactor(LONG size, LONG need) {
  return need <= 1 ? size : (LONG)(((long long)size - 1) / (need - 1));
}

// The least scale that covers both fitted sizes of width x height in a boxWidth x boxHeight box
// (more than 1 when the box is larger than the picture).
double BoxCoverScale(LONG boxWidth, LONG boxHeight, LONG width, LONG height) {
  const double across = (double)boxWidth / width, down = (double)boxHeight / height;
  double scale = across < down ? across : down;
  // The best-fit rule: m pixels added to both sides (taken when negative), where m is the
  // smaller of the two differences to the box. Where that leaves a side of 0 or less the
  // picture is drawn by the proportional fit alone.
  const long long dw = (long long)boxWidth - width, dh = (long long)boxHeight - height;
  const long long m = dw < dh ? dw : dh;
  if (width + m > 0 && height + m > 0) {
    const double ruleAcross = (double)(width + m) / width, ruleDown = (double)(height + m) / height;
    const double rule = ruleAcross > ruleDown ? ruleAcross : ruleDown;
    if (rule > scale) scale = rule;
  }
  return scale;
}

}  // namespace

double FitCoverScale(const PictureFit *fit, LONG width, LONG height) {
  if (!fit || fit->boxWidth <= 0 || fit->boxHeight <= 0 || width <= 0 || height <= 0) return 1;
  double scale = BoxCoverScale(fit->boxWidth, fit->boxHeight, width, height);
  for (int i = 0; i < fit->moreCount && fit->moreBoxes && scale < 1; i++) {
    const FitBox &box = fit->moreBoxes[i];
    if (box.width <= 0 || box.height <= 0) continue;
    const double more = BoxCoverScale(box.width, box.height, width, height);
    if (more > scale) scale = more;
  }
  return scale < 1 ? scale : 1;
}

void ScaledSize(LONG width, LONG height, double scale, LONG *scaledWidth, LONG *scaledHeight) {
  *scaledWidth = Up(width * scale);
  *scaledHeight = Up(height * scale);
}

LONG FitBoxFactor(const PictureFit *fit, LONG width, LONG height) {
  const double scale = FitCoverScale(fit, width, height);
  if (scale >= 1) return 1;
  LONG needWidth, needHeight;
  ScaledSize(width, height, scale, &needWidth, &needHeight);
  const LONG across = LargestFactor(width, needWidth), down = LargestFactor(height, needHeight);
  const LONG factor = across < down ? across : down;
  return factor > 1 ? factor : 1;
}

LONG FitPowerOfTwo(const PictureFit *fit, LONG width, LONG height, LONG most) {
  const LONG factor = FitBoxFactor(fit, width, height);
  LONG power = 1;
  while (power * 2 <= most && power * 2 <= factor) power *= 2;
  return power;
}

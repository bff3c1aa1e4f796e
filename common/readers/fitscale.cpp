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

}  // namespace

double FitCoverScale(const PictureFit *fit, LONG width, LONG height) {
  if (!fit || fit->boxWidth <= 0 || fit->boxHeight <= 0 || width <= 0 || height <= 0) return 1;
  const double across = (double)fit->boxWidth / width, down = (double)fit->boxHeight / height;
  double scale = across < down ? across : down;
  // The best-fit rule: m pixels added to both sides (taken when negative), where m is the
  // smaller of the two differences to the box. Where that leaves a side of 0 or less the
  // picture is drawn by the proportional fit alone.
  const long long dw = (long long)fit->boxWidth - width, dh = (long long)fit->boxHeight - height;
  const long long m = dw < dh ? dw : dh;
  if (width + m > 0 && height + m > 0) {
    const double ruleAcross = (double)(width + m) / width, ruleDown = (double)(height + m) / height;
    const double rule = ruleAcross > ruleDown ? ruleAcross : ruleDown;
    if (rule > scale) scale = rule;
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

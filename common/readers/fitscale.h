// How far a picture about to be shown fitted (PictureFit) may be decoded reduced: never below
// the size it is drawn at. Two fitted sizes are covered, the proportional fit into the box and
// the best-fit rule's (the same number of pixels taken from both sides until the picture meets
// two opposite edges), so that a reduced picture is only ever reduced further when it is drawn.
#pragma once

#include "packedbitmap.h"

// The least scale, at most 1, at which width x height scaled in proportion (ScaledSize) still
// covers both fitted sizes in the fit's box and in each of its further boxes: 1 without a fit or
// a box, and when the fit does not reduce the picture.
double FitCoverScale(const PictureFit *fit, LONG width, LONG height);

// width x height scaled by `scale`, each side rounded up and at least 1.
void ScaledSize(LONG width, LONG height, double scale, LONG *scaledWidth, LONG *scaledHeight);

// The largest whole factor k at which ceil(width / k) x ceil(height / k) still covers both
// fitted sizes; 1 when the fit does not reduce the picture by 2 or more.
LONG FitBoxFactor(const PictureFit *fit, LONG width, LONG height);

// The largest power of two d, at most `most`, at which ceil(width / d) x ceil(height / d) still
// covers every fitted size (as FitBoxFactor); 1 when the fit does not reduce the picture by 2 or
// more.
LONG FitPowerOfTwo(const PictureFit *fit, LONG width, LONG height, LONG most);

// Stepping values through series of round numbers, for the scale buttons of
// instruments and the up/down and nudge buttons of adjustable values, plus the
// small numeric helpers those callers share.
//
// Every stepper works on the magnitude and gives the result the sign of the
// argument, so a negative value steps away from or towards zero like its
// positive twin; 0 steps to 0. A value already in the series steps to its
// neighbour: the magnitude is first nudged by a factor 1.00001 (up) or
// 0.99999 (down), far below the spacing of any series.
//
// Inputs at the edges of the double range are answered without fault:
// infinity and NaN are returned unchanged; a step whose result would exceed
// the double range returns the argument unchanged (there is nothing higher to
// step to); a step down from the smallest subnormal numbers may give 0.
#pragma once

#include <span>

#include "base/messages.h"

namespace korvel {

// Mantissas from 1.0 to 10.0 inclusive, ascending. The coarse table (14
// entries) is for the waveform generator and the adjust box's up/down
// buttons; the fine table (66 entries) for the adjust box's nudge buttons.
std::span<const double> CoarseSteps();
std::span<const double> FineSteps();

// The next value of the 1-2-5 series above / below |x|, with the sign of x.
// NextHighest10: 1 -> 2, 2 -> 5, 5 -> 10, 7 -> 10. NextLowest10: 10 -> 5,
// 5 -> 2, 2 -> 1, 1 -> 0.5.
double NextHighest10(double x);
double NextLowest10(double x);

// The next value above / below |x| of the form table entry times a power of
// ten, with the sign of x. The table must be ascending, start at 1.0 and end
// at 10.0, like the two above. A table that fails this can leave no entry to
// step to; then an "Internal Error" box is shown and |x| is answered.
double NextHighestThisArray(double x, std::span<const double> table, Messages& messages);
double NextLowestThisArray(double x, std::span<const double> table, Messages& messages);

// Rounds halves up (2.5 -> 3, -2.5 -> -2). Exact for every double, including
// 0.49999999999999994 (-> 0) where floor(x + 0.5) would go wrong. Infinity and
// NaN come back unchanged.
double Round(double x);
// Round, then limited to the int range; NaN gives 0.
int RoundToInt(double x);

// x limited to the range between a and b, whichever of the two is the larger.
// A NaN x comes back as NaN.
int Clamp(int x, int a, int b);
double Clamp(double x, double a, double b);

// Base-10 logarithm and power, computed through natural logarithms
// (ln x / ln 10 and exp(x ln 10)). They can differ from std::log10 and
// std::pow in the last bit, which is why the steppers, which need exact
// powers of ten, do not use them. Log10 of 0 is -inf, of a negative number NaN.
double Log10(double x);
double Pow10(double x);

// The angle of (x, y); 0 when both are exactly zero, whatever their signs.
double SafeAtan2(double y, double x);

}  // namespace korvel

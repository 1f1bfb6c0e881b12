#pragma once

// The timing of the windows' animations.

#include <QEasingCurve>

namespace QEL {

// Slow at both ends: the cubic Bézier curve (0.42, 0), (0.58, 1).
QEasingCurve easeInEaseOut();
// What an animation uses when none is named: a quick start that settles
// gently, (0.25, 0.1), (0.25, 1).
QEasingCurve defaultTiming();

// Where a damped spring released at 0, with its rest at 1, is `seconds` after
// the release. `response` is the period of the undamped spring in seconds;
// `dampingFraction`, at least 0 and below 1, lets it overshoot a little before
// it settles.
double springPosition(double seconds, double response, double dampingFraction);

} // namespace QEL

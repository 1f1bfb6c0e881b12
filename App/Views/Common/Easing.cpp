#include "App/Views/Common/Easing.h"

#include <QPointF>

#include <cmath>
#include <numbers>

namespace QEL {

namespace {

QEasingCurve cubicBezier(QPointF first, QPointF second)
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(first, second, QPointF(1, 1));
    return curve;
}

} // namespace

QEasingCurve easeInEaseOut()
{
    return cubicBezier({0.42, 0}, {0.58, 1});
}

QEasingCurve defaultTiming()
{
    return cubicBezier({0.25, 0.1}, {0.25, 1});
}

double springPosition(double seconds, double response, double dampingFraction)
{
    const double angularFrequency = 2 * std::numbers::pi / response;
    const double decay = dampingFraction * angularFrequency;
    const double dampedFrequency = angularFrequency * std::sqrt(1 - dampingFraction * dampingFraction);
    return 1 - std::exp(-decay * seconds) *
                   (std::cos(dampedFrequency * seconds) + decay / dampedFrequency * std::sin(dampedFrequency * seconds));
}

} // namespace QEL

#pragma once

// The colours of the pill, which is dark whatever the desktop's colours.

#include <QColor>

namespace QEL {

namespace PillColours {
inline const QColor red{255, 69, 58};
inline const QColor green{48, 209, 88};
inline const QColor blue{10, 132, 255};
} // namespace PillColours

inline QColor withOpacity(QColor colour, double opacity)
{
    colour.setAlphaF(float(colour.alphaF() * opacity));
    return colour;
}

inline QColor whiteWithOpacity(double opacity)
{
    return withOpacity(Qt::white, opacity);
}

} // namespace QEL

#include "App/Views/Common/LinearProgressBar.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace QEL {

LinearProgressBar::LinearProgressBar(QColor fill, QColor track, QWidget* parent)
    : QWidget(parent), fill_(fill), track_(track)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void LinearProgressBar::setValue(double fraction)
{
    const double value = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    if (value == value_)
        return;
    value_ = value;
    update();
}

void LinearProgressBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF bar(0, (height() - barHeight) / 2.0, width(), barHeight);
    const qreal radius = barHeight / 2.0;
    painter.setBrush(track_);
    painter.drawRoundedRect(bar, radius, radius);
    if (value_ > 0) {
        painter.setBrush(fill_);
        painter.drawRoundedRect(QRectF(bar.topLeft(), QSizeF(std::max(bar.width() * value_, 2 * radius), barHeight)),
                                radius, radius);
    }
}

} // namespace QEL

#include "App/Views/Overlay/OneLineLabel.h"

#include "App/Views/Style/TextStyles.h"

#include <QPainter>

namespace QEL {

QSize OneLineLabel::minimumSizeHint() const
{
    return {0, fontMetrics().height()};
}

void OneLineLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = contentsRect();
    const QString line = singleLine(text());
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(area, int(alignment()) | Qt::TextSingleLine,
                     fontMetrics().elidedText(line, Qt::ElideRight, area.width()));
}

} // namespace QEL

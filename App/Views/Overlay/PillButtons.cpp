#include "App/Views/Overlay/PillButtons.h"

#include "App/Views/Overlay/PillColours.h"

#include <QPainter>
#include <QRadialGradient>

namespace QEL {

SymbolButton::SymbolButton(QWidget* parent) : QAbstractButton(parent)
{
    setFixedSize(side, side);
    setFocusPolicy(Qt::NoFocus);
}

void SymbolButton::setSymbol(Symbol symbol, const QColor& colour)
{
    if (symbol == symbol_ && colour == colour_)
        return;
    symbol_ = symbol;
    colour_ = colour;
    update();
}

void SymbolButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area((side - symbolSize) / 2, (side - symbolSize) / 2, symbolSize, symbolSize);
    symbolIcon(symbol_, colour_).paint(&painter, area);
}

RecordButton::RecordButton(QWidget* parent) : QAbstractButton(parent)
{
    setFixedSize(side, side);
    setFocusPolicy(Qt::NoFocus);
}

void RecordButton::setLook(bool isRecording, bool showsRing, double ringScale)
{
    if (isRecording == isRecording_ && showsRing == showsRing_ && ringScale == ringScale_)
        return;
    isRecording_ = isRecording;
    showsRing_ = showsRing;
    ringScale_ = ringScale;
    update();
}

bool RecordButton::hitButton(const QPoint& position) const
{
    const QPointF offset = QPointF(position) - QRectF(rect()).center();
    constexpr double radius = circleDiameter / 2.0;
    return QPointF::dotProduct(offset, offset) <= radius * radius;
}

void RecordButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.5);
    const QPointF centre = QRectF(rect()).center();
    constexpr double radius = circleDiameter / 2.0;

    if (showsRing_) {
        // The whole ring scales, its line included.
        painter.setPen(QPen(withOpacity(PillColours::red, 0.4), 2 * ringScale_, Qt::SolidLine, Qt::FlatCap,
                            Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        const double ringRadius = ringDiameter / 2.0 * ringScale_;
        painter.drawEllipse(centre, ringRadius, ringRadius);
    }
    painter.setPen(Qt::NoPen);
    if (isRecording_) {
        // A soft red glow of about 6 points around the circle.
        constexpr double glow = 6;
        QRadialGradient gradient(centre, radius + glow);
        gradient.setColorAt(0, withOpacity(PillColours::red, 0.5));
        gradient.setColorAt((radius - glow / 2) / (radius + glow), withOpacity(PillColours::red, 0.5));
        gradient.setColorAt(1, withOpacity(PillColours::red, 0));
        painter.setBrush(gradient);
        painter.drawEllipse(centre, radius + glow, radius + glow);
    }
    painter.setBrush(isRecording_ ? PillColours::red : withOpacity(PillColours::red, 0.8));
    painter.drawEllipse(centre, radius, radius);

    if (isRecording_) {
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(QRectF(centre - QPointF(5, 5), QSizeF(10, 10)), 3, 3);
    } else {
        constexpr int symbolSize = 12;
        symbolIcon(Symbol::micFill, Qt::white)
            .paint(&painter, QRect(QPoint(int(centre.x()) - symbolSize / 2, int(centre.y()) - symbolSize / 2),
                                   QSize(symbolSize, symbolSize)));
    }
}

} // namespace QEL

#include "App/Views/Style/Symbols.h"

#include <QFontMetrics>
#include <QIconEngine>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <numbers>

namespace QEL {

namespace {

// The drawings, on a 20 by 20 grid.
constexpr qreal grid = 20;

QPointF polar(qreal radius, qreal degrees)
{
    const qreal radians = degrees * std::numbers::pi / 180;
    return {10 + radius * std::cos(radians), 10 - radius * std::sin(radians)};
}

QPainterPath circle(QPointF centre, qreal radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

void drawGear(QPainter& painter, const QColor& color)
{
    QPolygonF teeth;
    for (int tooth = 0; tooth < 8; ++tooth) {
        const qreal angle = tooth * 45;
        teeth << polar(6.8, angle - 16) << polar(9.3, angle - 9) << polar(9.3, angle + 9) << polar(6.8, angle + 16);
    }
    QPainterPath gear;
    gear.addPolygon(teeth);
    gear.closeSubpath();
    painter.fillPath(gear.subtracted(circle({10, 10}, 3)), color);
}

void drawBrain(QPainter& painter)
{
    QPainterPath outline;
    for (const QPointF lobe : {QPointF(6.5, 7), QPointF(10, 5.5), QPointF(13.5, 7), QPointF(14.5, 11.5),
                               QPointF(12, 14.5), QPointF(8, 14.5), QPointF(5.5, 11.5)})
        outline = outline.united(circle(lobe, 3.8));
    painter.drawPath(outline);
    painter.drawLine(QPointF(10, 3), QPointF(10, 17));
    painter.drawArc(QRectF(5, 8, 4, 4), 90 * 16, -180 * 16);
    painter.drawArc(QRectF(11, 8, 4, 4), 90 * 16, 180 * 16);
}

void drawClockArrowCirclepath(QPainter& painter)
{
    // A circle open at the upper left, with an arrow head at its start.
    const QRectF ring(2.5, 2.5, 15, 15);
    painter.drawArc(ring, 150 * 16, -300 * 16);
    const QPointF start = polar(7.5, 150);
    painter.drawPolyline(QPolygonF{start + QPointF(-2.6, -0.8), start, start + QPointF(0.6, -2.8)});
    painter.drawPolyline(QPolygonF{QPointF(10, 6), QPointF(10, 10), QPointF(12.8, 11.8)});
}

void drawTextBookClosed(QPainter& painter)
{
    painter.drawRoundedRect(QRectF(4, 2, 12.5, 16), 1.5, 1.5);
    painter.drawLine(QPointF(6.8, 2), QPointF(6.8, 18));
    painter.drawLine(QPointF(9.3, 7), QPointF(13.7, 7));
    painter.drawLine(QPointF(9.3, 10), QPointF(13.7, 10));
}

void drawSliderHorizontal3(QPainter& painter, const QColor& color)
{
    const struct {
        qreal y;
        qreal knob;
    } sliders[] = {{4.5, 6}, {10, 13.5}, {15.5, 8.5}};
    for (const auto& slider : sliders) {
        painter.drawLine(QPointF(2, slider.y), QPointF(18, slider.y));
        painter.setBrush(color);
        painter.drawEllipse(QPointF(slider.knob, slider.y), 2.2, 2.2);
        painter.setBrush(Qt::NoBrush);
    }
}

// A disc in `color` with a mark cut out of it.
void drawFilledCircle(QPainter& painter, const QColor& color, const QPainterPath& mark)
{
    QPainterPathStroker stroker;
    stroker.setWidth(2.2);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    painter.fillPath(circle({10, 10}, 9).subtracted(stroker.createStroke(mark)), color);
}

QPainterPath checkmark()
{
    QPainterPath path(QPointF(5.8, 10.3));
    path.lineTo(8.8, 13.3);
    path.lineTo(14.3, 6.9);
    return path;
}

QPainterPath xmark()
{
    QPainterPath path(QPointF(6.8, 6.8));
    path.lineTo(13.2, 13.2);
    path.moveTo(13.2, 6.8);
    path.lineTo(6.8, 13.2);
    return path;
}

void drawInfoCircle(QPainter& painter, const QColor& color)
{
    painter.drawEllipse(QPointF(10, 10), 8.3, 8.3);
    painter.fillPath(circle({10, 6.2}, 1.2), color);
    painter.drawLine(QPointF(10, 9), QPointF(10, 14.5));
}

void drawInternalDrive(QPainter& painter, const QColor& color)
{
    painter.drawRoundedRect(QRectF(2, 5.5, 16, 9), 2, 2);
    painter.fillPath(circle({14.5, 10}, 1.1), color);
    painter.drawLine(QPointF(5, 10), QPointF(10, 10));
}

void drawBolt(QPainter& painter, const QColor& color)
{
    QPainterPath bolt;
    bolt.addPolygon(QPolygonF{QPointF(12, 1), QPointF(4, 11.2), QPointF(9.2, 11.2), QPointF(7.6, 19), QPointF(16, 8.6),
                              QPointF(10.8, 8.6), QPointF(12, 1)});
    painter.fillPath(bolt, color);
}

void drawTarget(QPainter& painter, const QColor& color)
{
    painter.drawEllipse(QPointF(10, 10), 8.3, 8.3);
    painter.drawEllipse(QPointF(10, 10), 4.8, 4.8);
    painter.fillPath(circle({10, 10}, 1.8), color);
}

void draw(QPainter& painter, Symbol symbol, const QColor& color)
{
    painter.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    switch (symbol) {
    case Symbol::bolt: drawBolt(painter, color); break;
    case Symbol::brain: drawBrain(painter); break;
    case Symbol::checkmarkCircleFill: drawFilledCircle(painter, color, checkmark()); break;
    case Symbol::clockArrowCirclepath: drawClockArrowCirclepath(painter); break;
    case Symbol::gear: drawGear(painter, color); break;
    case Symbol::infoCircle: drawInfoCircle(painter, color); break;
    case Symbol::internalDrive: drawInternalDrive(painter, color); break;
    case Symbol::sliderHorizontal3: drawSliderHorizontal3(painter, color); break;
    case Symbol::target: drawTarget(painter, color); break;
    case Symbol::textBookClosed: drawTextBookClosed(painter); break;
    case Symbol::xmarkCircleFill: drawFilledCircle(painter, color, xmark()); break;
    }
}

// Paints the symbol into whatever square it is asked for.
class SymbolEngine : public QIconEngine {
public:
    SymbolEngine(Symbol symbol, QColor color) : symbol_(symbol), color_(color) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        QColor color = color_;
        if (mode == QIcon::Disabled)
            color.setAlphaF(color.alphaF() * 0.4f);
        const qreal side = std::min(rect.width(), rect.height());
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.x() + (rect.width() - side) / 2, rect.y() + (rect.height() - side) / 2);
        painter->scale(side / grid, side / grid);
        draw(*painter, symbol_, color);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine* clone() const override { return new SymbolEngine(symbol_, color_); }

private:
    Symbol symbol_;
    QColor color_;
};

} // namespace

QIcon symbolIcon(Symbol symbol, const QColor& color)
{
    return QIcon(new SymbolEngine(symbol, color));
}

QLabel* symbolLabel(Symbol symbol, const QColor& color, const QFont& font, QWidget* parent)
{
    auto* label = new QLabel(parent);
    const int side = QFontMetrics(font).height();
    const qreal scale = label->devicePixelRatioF();
    QPixmap pixmap(QSize(side, side) * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    symbolIcon(symbol, color).paint(&painter, QRect(0, 0, side, side));
    painter.end();
    label->setPixmap(pixmap);
    label->setFixedSize(side, side);
    return label;
}

} // namespace QEL

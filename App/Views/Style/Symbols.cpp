#include "App/Views/Style/Symbols.h"

#include <QFontMetrics>
#include <QIconEngine>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>
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

// Five bars of a sound wave across `box`: few enough to stay apart at the
// size of a letter.
void drawWave(QPainter& painter, const QRectF& box, const QColor& color)
{
    constexpr std::array<qreal, 5> heights{0.4, 0.75, 1.0, 0.6, 0.3};
    const qreal step = box.width() / heights.size();
    painter.setPen(QPen(color, step * 0.6, Qt::SolidLine, Qt::RoundCap));
    for (std::size_t i = 0; i < heights.size(); ++i) {
        const qreal x = box.left() + step * (qreal(i) + 0.5);
        const qreal half = box.height() * heights[i] / 2;
        painter.drawLine(QPointF(x, box.center().y() - half), QPointF(x, box.center().y() + half));
    }
}

// White waves on a solid disc, readable on light and dark panels alike.
void drawWaveformDisc(QPainter& painter, const QColor& color)
{
    painter.fillPath(circle({10, 10}, 9.2), color);
    QColor white(Qt::white);
    white.setAlphaF(color.alphaF());
    drawWave(painter, QRectF(5, 5.8, 10, 8.4), white);
}

void drawMicrophone(QPainter& painter, const QColor& color, bool filled)
{
    const QRectF head(7.1, 1.7, 5.8, 10.4);
    if (filled)
        painter.setBrush(color);
    painter.drawRoundedRect(head, 2.9, 2.9);
    painter.setBrush(Qt::NoBrush);
    QPainterPath stand(QPointF(4.6, 8.8));
    stand.cubicTo(QPointF(4.6, 16.2), QPointF(15.4, 16.2), QPointF(15.4, 8.8));
    painter.drawPath(stand);
    painter.drawLine(QPointF(10, 14.6), QPointF(10, 17.9));
    painter.drawLine(QPointF(7.1, 17.9), QPointF(12.9, 17.9));
}

void drawMicSlash(QPainter& painter, const QColor& color)
{
    drawMicrophone(painter, color, false);
    painter.drawLine(QPointF(2.9, 2.1), QPointF(17.1, 17.9));
}

void drawStopFill(QPainter& painter, const QColor& color)
{
    QPainterPath square;
    square.addRoundedRect(QRectF(3.3, 3.3, 13.4, 13.4), 2.5, 2.5);
    painter.fillPath(square, color);
}

void drawArrowDownCircle(QPainter& painter)
{
    painter.drawEllipse(QPointF(10, 10), 8.3, 8.3);
    painter.drawLine(QPointF(10, 5.4), QPointF(10, 13.8));
    painter.drawPolyline(QPolygonF{QPointF(6.3, 10.4), QPointF(10, 14.2), QPointF(13.7, 10.4)});
}

void drawCheckmark(QPainter& painter, const QColor& color)
{
    painter.setPen(QPen(color, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygonF{QPointF(4.6, 10.4), QPointF(8.3, 14.2), QPointF(15.4, 5.8)});
}

void drawExclamationmarkTriangle(QPainter& painter, const QColor& color)
{
    painter.drawPolygon(QPolygonF{QPointF(10, 2.1), QPointF(18.3, 17.1), QPointF(1.7, 17.1)});
    painter.drawLine(QPointF(10, 7.1), QPointF(10, 11.3));
    painter.fillPath(circle({10, 14.2}, 1), color);
}

void drawXmark(QPainter& painter, const QColor& color)
{
    painter.setPen(QPen(color, 2.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(4.2, 4.2), QPointF(15.8, 15.8));
    painter.drawLine(QPointF(15.8, 4.2), QPointF(4.2, 15.8));
}

void drawMagnifyingGlass(QPainter& painter)
{
    painter.drawEllipse(QPointF(8.5, 8.5), 5.8, 5.8);
    QPen handle = painter.pen();
    handle.setWidthF(2.4);
    painter.setPen(handle);
    painter.drawLine(QPointF(12.9, 12.9), QPointF(17.5, 17.5));
}

void drawTextBubble(QPainter& painter)
{
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(2, 2.5, 16, 12), 4, 4);
    QPainterPath tail;
    tail.addPolygon(QPolygonF{QPointF(5, 13), QPointF(4.5, 18), QPointF(10, 13.5)});
    painter.drawPath(bubble.united(tail).simplified());
    painter.drawLine(QPointF(6, 7), QPointF(14, 7));
    painter.drawLine(QPointF(6, 10), QPointF(11.5, 10));
}

void drawDocText(QPainter& painter)
{
    painter.drawPolygon(QPolygonF{QPointF(4.5, 2), QPointF(11.5, 2), QPointF(15.5, 6), QPointF(15.5, 18),
                                  QPointF(4.5, 18)});
    painter.drawPolyline(QPolygonF{QPointF(11.5, 2), QPointF(11.5, 6), QPointF(15.5, 6)});
    for (const qreal y : {9.5, 12.25, 15.0})
        painter.drawLine(QPointF(7, y), QPointF(13, y));
}

void drawDocOnDoc(QPainter& painter)
{
    const QRectF front(3, 6, 10.5, 12.5);
    QPainterPath outside;
    outside.addRect(QRectF(0, 0, grid, grid));
    QPainterPath frontArea;
    frontArea.addRoundedRect(front.adjusted(-1, -1, 1, 1), 2.5, 2.5);
    // The sheet behind shows only where the front one leaves it uncovered.
    painter.save();
    painter.setClipPath(outside.subtracted(frontArea));
    painter.drawRoundedRect(QRectF(6.5, 1.5, 10.5, 12.5), 2, 2);
    painter.restore();
    painter.drawRoundedRect(front, 2, 2);
}

// A head over shoulders, at `x` with the given size.
QPainterPath person(qreal x, qreal top, qreal size)
{
    QPainterPath figure = circle({x, top + size * 0.3}, size * 0.3);
    QPainterPath body;
    body.moveTo(x - size * 0.55, top + size * 1.2);
    body.arcTo(QRectF(x - size * 0.55, top + size * 0.7, size * 1.1, size), 180, -180);
    body.closeSubpath();
    return figure.united(body);
}

void drawPerson2(QPainter& painter, const QColor& color)
{
    const QPainterPath front = person(7.5, 3.5, 11);
    const QPainterPath behind = person(13.8, 2.5, 9);
    QPainterPathStroker gap;
    gap.setWidth(2.4);
    painter.fillPath(behind.subtracted(front.united(gap.createStroke(front))), color);
    painter.fillPath(front, color);
}

void drawTextformatSize(QPainter& painter)
{
    // A large and a small capital A.
    painter.drawPolyline(QPolygonF{QPointF(1.5, 17), QPointF(7, 3), QPointF(12.5, 17)});
    painter.drawLine(QPointF(3.8, 11.5), QPointF(10.2, 11.5));
    painter.drawPolyline(QPolygonF{QPointF(12, 17), QPointF(15.25, 9), QPointF(18.5, 17)});
    painter.drawLine(QPointF(13.3, 14), QPointF(17.2, 14));
}

void drawGlobe(QPainter& painter)
{
    painter.drawEllipse(QPointF(10, 10), 8.3, 8.3);
    painter.drawEllipse(QPointF(10, 10), 3.6, 8.3);
    painter.drawLine(QPointF(1.7, 10), QPointF(18.3, 10));
    painter.drawLine(QPointF(3.5, 5.5), QPointF(16.5, 5.5));
    painter.drawLine(QPointF(3.5, 14.5), QPointF(16.5, 14.5));
}

void drawRecordCircle(QPainter& painter, const QColor& color)
{
    painter.drawEllipse(QPointF(10, 10), 8.3, 8.3);
    painter.fillPath(circle({10, 10}, 4.8), color);
}

void draw(QPainter& painter, Symbol symbol, const QColor& color)
{
    painter.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    switch (symbol) {
    case Symbol::arrowDownCircle: drawArrowDownCircle(painter); break;
    case Symbol::bolt: drawBolt(painter, color); break;
    case Symbol::brain: drawBrain(painter); break;
    case Symbol::checkmark: drawCheckmark(painter, color); break;
    case Symbol::checkmarkCircleFill: drawFilledCircle(painter, color, checkmark()); break;
    case Symbol::clockArrowCirclepath: drawClockArrowCirclepath(painter); break;
    case Symbol::docOnDoc: drawDocOnDoc(painter); break;
    case Symbol::docText: drawDocText(painter); break;
    case Symbol::exclamationmarkTriangle: drawExclamationmarkTriangle(painter, color); break;
    case Symbol::gear: drawGear(painter, color); break;
    case Symbol::globe: drawGlobe(painter); break;
    case Symbol::infoCircle: drawInfoCircle(painter, color); break;
    case Symbol::internalDrive: drawInternalDrive(painter, color); break;
    case Symbol::magnifyingGlass: drawMagnifyingGlass(painter); break;
    case Symbol::micFill: drawMicrophone(painter, color, true); break;
    case Symbol::micSlash: drawMicSlash(painter, color); break;
    case Symbol::person2: drawPerson2(painter, color); break;
    case Symbol::recordCircle: drawRecordCircle(painter, color); break;
    case Symbol::sliderHorizontal3: drawSliderHorizontal3(painter, color); break;
    case Symbol::stopFill: drawStopFill(painter, color); break;
    case Symbol::target: drawTarget(painter, color); break;
    case Symbol::textBookClosed: drawTextBookClosed(painter); break;
    case Symbol::textBubble: drawTextBubble(painter); break;
    case Symbol::textformatSize: drawTextformatSize(painter); break;
    case Symbol::waveform: drawWave(painter, QRectF(1.5, 2.5, 17, 15), color); break;
    case Symbol::waveformCircle:
    case Symbol::waveformCircleFill: drawWaveformDisc(painter, color); break;
    case Symbol::xmark: drawXmark(painter, color); break;
    case Symbol::xmarkCircleFill: drawFilledCircle(painter, color, xmark()); break;
    }
}

// The theme's icon with every pixel in `color`, at its own opacity.
QImage silhouette(const QIcon& icon, QSizeF size, qreal scale, const QColor& color)
{
    QImage image((size * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    icon.paint(&painter, image.rect());
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), color);
    return image;
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
        const QRectF square(rect.x() + (rect.width() - side) / 2, rect.y() + (rect.height() - side) / 2, side, side);
        // Asked at each drawing, so a theme the desktop switches to later counts.
        const char* name = themeIconName(symbol_);
        if (name && QIcon::hasThemeIcon(QString::fromLatin1(name))) {
            painter->drawImage(square, silhouette(QIcon::fromTheme(QString::fromLatin1(name)), square.size(),
                                                  painter->device()->devicePixelRatioF(), color));
            return;
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(square.topLeft());
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

const char* themeIconName(Symbol symbol)
{
    switch (symbol) {
    case Symbol::arrowDownCircle: return "go-down";
    case Symbol::checkmark: return "object-select";
    case Symbol::exclamationmarkTriangle: return "dialog-warning";
    case Symbol::micFill: return "audio-input-microphone";
    case Symbol::micSlash: return "microphone-sensitivity-muted";
    case Symbol::stopFill: return "media-playback-stop";
    case Symbol::xmark: return "window-close";
    default: return nullptr;
    }
}

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

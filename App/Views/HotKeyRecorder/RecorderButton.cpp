#include "App/Views/HotKeyRecorder/RecorderButton.h"

#include "App/Views/Style/Symbols.h"
#include "App/Views/Style/TextStyles.h"

#include <QPainter>
#include <QPainterPath>

namespace QEL {

namespace {

constexpr int horizontalPadding = 10;
constexpr int verticalPadding = 5;
constexpr int spacing = 4;
constexpr qreal cornerRadius = 6;

QColor red(qreal opacity)
{
    QColor color(0xff, 0x3b, 0x30);
    color.setAlphaF(static_cast<float>(opacity));
    return color;
}

// Text and symbol in a deeper red, which stays readable on the red tint.
const QColor readableRed(0xc8, 0x10, 0x1a);

} // namespace

RecorderButton::RecorderButton(QWidget* parent) : QAbstractButton(parent)
{
    // A click does not take the keyboard focus, so that a key pressed while
    // recording never presses the button itself.
    setFocusPolicy(Qt::TabFocus);
}

void RecorderButton::setRecording(bool recording)
{
    recording_ = recording;
    updateGeometry();
    update();
}

QSize RecorderButton::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    const int symbol = recording_ ? metrics.height() + spacing : 0;
    return {horizontalPadding + symbol + metrics.horizontalAdvance(text()) + horizontalPadding,
            verticalPadding + metrics.height() + verticalPadding};
}

void RecorderButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(shape, quaternaryFill(palette()));
    if (recording_)
        painter.fillPath(shape, red(0.1));
    if (hasFocus() || isDown())
        painter.fillPath(shape, quaternaryFill(palette()));

    QRect content = rect().adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding);
    if (recording_) {
        const int side = fontMetrics().height();
        symbolIcon(Symbol::recordCircle, readableRed).paint(&painter, QRect(content.topLeft(), QSize(side, side)));
        content.setLeft(content.left() + side + spacing);
    }
    painter.setPen(recording_ ? readableRed : palette().color(QPalette::WindowText));
    painter.drawText(content, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text());

    if (recording_) {
        // Inside the edge: the pen straddles a path half a pixel in.
        painter.setPen(QPen(red(0.5), 1));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
    }
}

} // namespace QEL

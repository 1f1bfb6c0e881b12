#include "App/Views/Overlay/LiveWaveformView.h"

#include "App/Views/Common/Easing.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace QEL {

LiveWaveformView::LiveWaveformView(QWidget* parent) : QWidget(parent)
{
    setFixedSize(meterWidth, meterHeight);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    to_ = shown_ = targetHeights(level_, isSpeech_);
    animation_.setDuration(120);
    animation_.setEasingCurve(easeInEaseOut());
    animation_.setStartValue(0.0);
    animation_.setEndValue(1.0);
    connect(&animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        const double progress = value.toDouble();
        for (int i = 0; i < barCount; ++i)
            shown_[i] = from_[i] + (to_[i] - from_[i]) * progress;
        update();
    });
}

double LiveWaveformView::barHeight(int index, float level, bool isSpeech)
{
    constexpr int centre = barCount / 2;
    const double distance = std::abs(index - centre);
    const double amplitude = double(level) * 14;
    const double falloff = 1 - 0.5 * distance / centre;
    const double wave = std::sin(index * 0.9 + double(level) * 12);
    const double base = isSpeech ? 8 : 4;
    return std::max(base + (wave * 0.4 + 0.6) * (amplitude * falloff), 3.0);
}

LiveWaveformView::Heights LiveWaveformView::targetHeights(float level, bool isSpeech)
{
    Heights heights;
    for (int i = 0; i < barCount; ++i)
        heights[i] = barHeight(i, level, isSpeech);
    return heights;
}

void LiveWaveformView::setLevel(float level, bool isSpeech)
{
    level = std::isnan(level) ? 0.0f : std::clamp(level, 0.0f, 1.0f);
    if (level == level_ && isSpeech == isSpeech_)
        return;
    const bool levelChanged = level != level_;
    level_ = level;
    isSpeech_ = isSpeech;
    from_ = shown_;
    to_ = targetHeights(level_, isSpeech_);
    // Off screen nothing moves, so no timer runs for it.
    if (levelChanged && isVisible()) {
        animation_.stop();
        animation_.start();
    } else if (animation_.state() != QAbstractAnimation::Running) {
        finishAnimation();
    }
    update();
}

void LiveWaveformView::finishAnimation()
{
    animation_.stop();
    shown_ = to_;
}

QRectF LiveWaveformView::barRect(int index) const
{
    const double height = shown_[index];
    return {double(index * (barWidth + barSpacing)), (meterHeight - height) / 2, double(barWidth), height};
}

void LiveWaveformView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(1, 1, 1, isSpeech_ ? 0.85f : 0.25f));
    for (int i = 0; i < barCount; ++i)
        painter.drawRoundedRect(barRect(i), 1, 1);
}

void LiveWaveformView::hideEvent(QHideEvent* event)
{
    finishAnimation();
    QWidget::hideEvent(event);
}

} // namespace QEL

#pragma once

// The pill's level meter: a row of bars whose heights follow the input level,
// brighter while speech is heard.

#include <QVariantAnimation>
#include <QWidget>

#include <array>

namespace QEL {

class LiveWaveformView : public QWidget {
public:
    static constexpr int barCount = 12;
    static constexpr int barWidth = 3;
    static constexpr int barSpacing = 2;
    static constexpr int meterWidth = barCount * barWidth + (barCount - 1) * barSpacing;
    static constexpr int meterHeight = 20;

    explicit LiveWaveformView(QWidget* parent = nullptr);

    // A new level moves the bars to their new heights over 0.12 s while the
    // meter is on screen; anything else takes effect at once. The level is
    // held to 0 to 1.
    void setLevel(float level, bool isSpeech);
    float level() const { return level_; }
    bool isSpeech() const { return isSpeech_; }

    // The height in points that bar `index` (0 at the left) has at `level`.
    static double barHeight(int index, float level, bool isSpeech);
    // The bar as drawn at this moment, in this widget's coordinates.
    QRectF barRect(int index) const;

    QSize sizeHint() const override { return {meterWidth, meterHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    using Heights = std::array<double, barCount>;
    static Heights targetHeights(float level, bool isSpeech);
    void finishAnimation();

    float level_ = 0;
    bool isSpeech_ = false;
    Heights from_{};
    Heights to_{};
    Heights shown_{};
    QVariantAnimation animation_;
};

} // namespace QEL

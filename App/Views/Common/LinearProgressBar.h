#pragma once

// A thin rounded bar whose filled part, from the left, shows a fraction done.

#include <QColor>
#include <QWidget>

namespace QEL {

class LinearProgressBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int barHeight = 4;

    LinearProgressBar(QColor fill, QColor track, QWidget* parent = nullptr);

    // From 0 to 1; other values are held to that range, and NaN counts as 0.
    void setValue(double fraction);
    double value() const { return value_; }

    QSize sizeHint() const override { return {100, barHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fill_;
    QColor track_;
    double value_ = 0;
};

} // namespace QEL

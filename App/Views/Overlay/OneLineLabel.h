#pragma once

// A label that keeps to one line and ends a text that does not fit with "…".
// text() stays the whole text.

#include <QLabel>

namespace QEL {

class OneLineLabel : public QLabel {
public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace QEL

#pragma once

// The overlay's window: borderless, transparent around its content, above
// other applications' windows on every desktop, near the bottom centre of the
// main screen. It never takes the keyboard focus, so dictated text keeps going
// to the field the user is typing in, but it takes mouse clicks, and a drag on
// its background moves it.

#include <QPropertyAnimation>
#include <QRect>
#include <QWidget>

#include <optional>

namespace QEL {

class OverlayWindow : public QWidget {
public:
    static constexpr int bottomGap = 60; // from the bottom of the screen's visible area

    OverlayWindow();

    // Moves and resizes the window over 0.25 s so that it has `size`, centred
    // on the main screen's visible area with its bottom edge 60 points above
    // that area's bottom: it grows upward and to both sides. A window dragged
    // elsewhere returns there. Hidden, it takes the frame at once; without a
    // screen it stays as it is.
    void animateToSize(QSize size);

    // The frame of that size at the bottom centre of the main screen's visible
    // area, or none without a screen.
    static std::optional<QRect> placement(QSize size);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    QPropertyAnimation frame_;
};

} // namespace QEL

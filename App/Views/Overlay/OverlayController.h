#pragma once

// Creates the overlay window with the floating pill, shows it for the life of
// the program, and resizes it whenever recording starts or stops.

#include <QObject>
#include <QPropertyAnimation>

#include <memory>

namespace QEL {

class AppState;
class FloatingPillView;
class OverlayWindow;

class OverlayController : public QObject {
public:
    // Creates nothing yet.
    explicit OverlayController(AppState& state);
    ~OverlayController() override;

    // Creates the window with the pill, which shows `state` and calls it from
    // its buttons, places it at the bottom centre of the main screen and fades
    // it in over 0.4 s.
    void setupWindow();
    // Grows the window to the recording size whenever recording starts and
    // shrinks it back when it stops, starting with the current state.
    void observeRecordingState();

    OverlayWindow* window() const { return window_.get(); }
    FloatingPillView* pill() const { return pill_; }

private:
    AppState& state_;
    std::unique_ptr<OverlayWindow> window_;
    FloatingPillView* pill_ = nullptr;
    std::unique_ptr<QPropertyAnimation> fadeIn_;
};

} // namespace QEL

#include "App/Views/Overlay/OverlayController.h"

#include "App/State/AppState.h"
#include "App/Views/Common/Easing.h"
#include "App/Views/Overlay/FloatingPillView.h"
#include "App/Views/Overlay/OverlayWindow.h"
#include "Platform/Desktop/WindowManagerHints.h"

#include <QGuiApplication>
#include <QVBoxLayout>

namespace QEL {

OverlayController::OverlayController(AppState& state) : state_(state) {}

OverlayController::~OverlayController() = default;

void OverlayController::setupWindow()
{
    auto window = std::make_unique<OverlayWindow>();
    pill_ = new FloatingPillView;
    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pill_);
    // Transparent pixels show black where no compositing manager blends them.
    pill_->setShapesWindow(QGuiApplication::platformName() == QLatin1String("xcb") &&
                           !Platform::isCompositingActive());

    pill_->setState(pillState(state_));
    connect(&state_, &AppState::changed, pill_, [this] { pill_->setState(pillState(state_)); });
    connect(pill_, &FloatingPillView::stopRequested, &state_, &AppState::stopRecording);
    connect(pill_, &FloatingPillView::toggleRequested, &state_, &AppState::toggleRecording);

    window_ = std::move(window);

    window_->setWindowOpacity(0);
    window_->show();
    fadeIn_ = std::make_unique<QPropertyAnimation>(window_.get(), "windowOpacity");
    fadeIn_->setDuration(400);
    fadeIn_->setEasingCurve(defaultTiming());
    fadeIn_->setEndValue(1.0);
    fadeIn_->start();
}

void OverlayController::observeRecordingState()
{
    auto resize = [this](bool isRecording) {
        if (window_)
            window_->animateToSize(isRecording ? FloatingPillView::recordingSize : FloatingPillView::idleSize);
    };
    connect(&state_, &AppState::isRecordingChanged, this, resize);
    resize(state_.isRecording());
}

} // namespace QEL

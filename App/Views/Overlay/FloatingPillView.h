#pragma once

// The overlay's content: a dark rounded panel that shows at a glance what
// dictation is doing. Idle it is one row: a symbol button, a status line or
// the hot-key hint, and the record button. Recording, it grows: the row's
// middle becomes the level meter, and below it come the transcripts, the last
// latency and a word count.

#include "App/Views/Overlay/PillState.h"

#include <QVariantAnimation>
#include <QWidget>

#include <optional>

class QLabel;

namespace QEL {

class LinearProgressBar;
class LiveWaveformView;
class OneLineLabel;
class RecordButton;
class SymbolButton;

class FloatingPillView : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize idleSize{240, 48};
    static constexpr QSize recordingSize{380, 120};

    explicit FloatingPillView(QWidget* parent = nullptr);

    // Shows `state`; only what changed is redrawn. On screen, a start or stop
    // of recording springs the panel to its new size, and a level moves the
    // bars; off screen every change takes effect at once.
    void setState(const PillState& state);
    const PillState& state() const { return state_; }

    // The panel as drawn now, centred in this widget.
    QRectF pillRect() const;
    double cornerRadius() const;
    // The scale of the ring that pulses around the record button.
    double pulseScale() const { return pulseScale_; }

    // Cuts the window to the panel's shape, for screens without a compositing
    // manager, where the transparent corners would show black.
    void setShapesWindow(bool shapes);

signals:
    // The left button was clicked while recording.
    void stopRequested();
    // The record button was clicked.
    void toggleRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Middle { meter, loading, error, hint };

    void buildTopRow();
    void buildExpandedArea();
    // Brings the children up to state_; `previous` is none at construction.
    void applyState(const PillState* previous);
    void showMiddle(Middle middle);
    void showTranscripts();
    void updateRecordLook();
    void updatePulse();
    void setExpansion(double expansion);
    void layoutContent();
    void updateWindowShape();

    PillState state_;
    // 0 at the idle size and 1 at the recording size; a little beyond while
    // the spring overshoots.
    double expansion_ = 0;
    double springStart_ = 0;
    double pulseScale_ = 1;
    QVariantAnimation spring_;
    QVariantAnimation pulse_;
    std::optional<QPoint> dragOffset_;
    bool shapesWindow_ = false;

    QWidget* content_;
    SymbolButton* leftButton_;
    LiveWaveformView* meter_;
    OneLineLabel* loadingPhase_;
    LinearProgressBar* loadingBar_;
    OneLineLabel* error_;
    OneLineLabel* hint_;
    RecordButton* recordButton_;
    QWidget* expanded_;
    QLabel* transcript_;
    QLabel* partial_;
    QLabel* listening_;
    QLabel* latency_;
    QLabel* wordCount_;
};

} // namespace QEL

#pragma once

#include <QAbstractButton>

namespace QEL {

// The face of the hot-key recorder: its text in a rounded, faintly filled
// box; while recording, a red record symbol before red text, on a red tint
// with a red border.
class RecorderButton : public QAbstractButton {
public:
    explicit RecorderButton(QWidget* parent = nullptr);

    void setRecording(bool recording);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool recording_ = false;
};

} // namespace QEL

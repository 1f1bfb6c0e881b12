#pragma once

// The two buttons of the pill's row, drawn to the pill's own look: a symbol,
// and the round record button.

#include "App/Views/Style/Symbols.h"

#include <QAbstractButton>

namespace QEL {

// A symbol in a colour, clickable over its whole square.
class SymbolButton : public QAbstractButton {
public:
    static constexpr int side = 28;
    static constexpr int symbolSize = 11;

    explicit SymbolButton(QWidget* parent = nullptr);
    void setSymbol(Symbol symbol, const QColor& colour);
    Symbol symbol() const { return symbol_; }
    QColor colour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Symbol symbol_ = Symbol::waveform;
    QColor colour_;
};

// A red circle with a microphone while idle, and with a stop square and a red
// glow while recording; a ring pulses around it while speech is heard. The
// widget is larger than the circle, so the ring and the glow have room, and
// only the circle takes clicks.
class RecordButton : public QAbstractButton {
public:
    static constexpr int circleDiameter = 28;
    static constexpr int ringDiameter = 34;
    // Room for the ring at its largest scale (1.4) and for the glow.
    static constexpr int side = 52;

    explicit RecordButton(QWidget* parent = nullptr);
    void setLook(bool isRecording, bool showsRing, double ringScale);
    bool isRecording() const { return isRecording_; }
    bool showsRing() const { return showsRing_; }
    double ringScale() const { return ringScale_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    bool isRecording_ = false;
    bool showsRing_ = false;
    double ringScale_ = 1;
};

} // namespace QEL

#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>

class QLabel;
class QWidget;

namespace QEL {

// The small pictures beside texts, drawn by the program itself so that they
// look the same whatever icon theme the desktop has, or none. Each is named
// after the picture it shows.
enum class Symbol {
    bolt,
    brain,
    checkmarkCircleFill,
    clockArrowCirclepath,
    gear,
    infoCircle,
    internalDrive,
    sliderHorizontal3,
    target,
    textBookClosed,
    xmarkCircleFill,
};

// The symbol in `color`, sharp at any size.
QIcon symbolIcon(Symbol symbol, const QColor& color);

// A label showing the symbol at the height of a line of `font`'s text (the
// application's font when none is given).
QLabel* symbolLabel(Symbol symbol, const QColor& color, const QFont& font = {}, QWidget* parent = nullptr);

} // namespace QEL

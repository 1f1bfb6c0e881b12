#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>

class QLabel;
class QWidget;

namespace QEL {

// The small pictures beside texts, in the menu, the tray and the overlay. Each
// is named after the picture it shows. Those with a freedesktop icon name come
// from the desktop's icon theme when it has them; every symbol is also drawn
// by the program itself, so none is ever empty.
enum class Symbol {
    arrowDownCircle,
    bolt,
    brain,
    checkmark,
    checkmarkCircleFill,
    clockArrowCirclepath,
    docOnDoc,
    docText,
    exclamationmarkTriangle,
    gear,
    globe,
    infoCircle,
    internalDrive,
    magnifyingGlass,
    micFill,
    micSlash,
    person2,
    recordCircle,
    sliderHorizontal3,
    stopFill,
    target,
    textBookClosed,
    textBubble,
    textformatSize,
    waveform,
    waveformCircle,
    waveformCircleFill,
    xmark,
    xmarkCircleFill,
};

// The symbol's name in freedesktop icon themes, or null when themes have no
// picture of that meaning.
const char* themeIconName(Symbol symbol);

// The symbol in `color`, sharp at any size; a theme's icon becomes a
// silhouette in that colour. Disabled, it is fainter.
QIcon symbolIcon(Symbol symbol, const QColor& color);

// A label showing the symbol at the height of a line of `font`'s text (the
// application's font when none is given).
QLabel* symbolLabel(Symbol symbol, const QColor& color, const QFont& font = {}, QWidget* parent = nullptr);

} // namespace QEL

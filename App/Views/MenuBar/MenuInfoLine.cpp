#include "App/Views/MenuBar/MenuInfoLine.h"

#include <QPainter>

#include <algorithm>

namespace QEL {

MenuInfoLine::MenuInfoLine(const QString& text, const QFont& font, Emphasis emphasis, int maximumLines,
                           std::optional<Mark> mark, int indent, QWidget* parent)
    : QWidget(parent), text_(text), emphasis_(emphasis), mark_(mark), indent_(indent)
{
    setFont(font);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    lines_ = wrappedLines(text, font, maximumTextWidth, maximumLines);
    const QFontMetrics metrics(font);
    for (const QString& line : lines_)
        textWidth_ = std::max(textWidth_, metrics.horizontalAdvance(line));
}

QStringList MenuInfoLine::shownLines() const
{
    return lines_;
}

int MenuInfoLine::textLeft() const
{
    // The mark sits in the items' icon column, before the text.
    return std::max(indent_, mark_ ? symbolSize + markGap : 0);
}

QSize MenuInfoLine::sizeHint() const
{
    const int lineHeight = fontMetrics().height();
    const int textHeight = lineHeight * int(std::max<qsizetype>(lines_.size(), 1));
    return {textLeft() + textWidth_ + indent_, std::max(textHeight, mark_ ? symbolSize : 0) + 2 * verticalInset};
}

void MenuInfoLine::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // The line is a disabled entry, so that the menu skips it, but it reads
    // like any other text.
    QPalette colours = palette();
    colours.setCurrentColorGroup(QPalette::Active);
    painter.setPen(foreground(emphasis_, colours));
    const int lineHeight = fontMetrics().height();
    if (mark_) {
        const int top = verticalInset + std::max(0, (lineHeight - symbolSize) / 2);
        symbolIcon(mark_->symbol, mark_->colour)
            .paint(&painter, QRect(textLeft() - markGap - symbolSize, top, symbolSize, symbolSize));
    }
    const int textTop = verticalInset + (mark_ ? std::max(0, (symbolSize - lineHeight) / 2) : 0);
    for (int i = 0; i < int(lines_.size()); ++i)
        painter.drawText(QRect(textLeft(), textTop + i * lineHeight, width() - textLeft(), lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, lines_[i]);
}

} // namespace QEL

#include "App/Views/History/TranscriptRowDelegate.h"

#include "App/Views/History/TranscriptListModel.h"
#include "App/Views/Style/Symbols.h"
#include "App/Views/Style/TextStyles.h"

#include <QApplication>
#include <QPainter>

namespace QEL {

namespace {

constexpr int horizontalPadding = 8;
constexpr int verticalPadding = 4;
constexpr int lineSpacing = 4;
constexpr int detailSpacing = 8;
constexpr int previewLines = 2;

// The preview is a little smaller than body text.
QFont previewFont()
{
    QFont font = QApplication::font();
    font.setPointSizeF(font.pointSizeF() * 12 / 13);
    return font;
}

int lineHeight(const QFont& font)
{
    return QFontMetrics(font).height();
}

int firstLineHeight()
{
    return std::max(lineHeight(styledFont(TextStyle::caption)), lineHeight(styledFont(TextStyle::caption2)));
}

} // namespace

QSize TranscriptRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    const int height = verticalPadding + firstLineHeight() + lineSpacing + previewLines * lineHeight(previewFont()) +
                       lineSpacing + lineHeight(styledFont(TextStyle::caption2)) + verticalPadding;
    return {option.rect.width(), height};
}

void TranscriptRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const
{
    QStyleOptionViewItem panel = option;
    initStyleOption(&panel, index);
    panel.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &panel, painter, widget);

    // On the selection's highlight the fainter texts fade only a little, so
    // that they stay readable.
    const bool selected = option.state & QStyle::State_Selected;
    const auto color = [&](Emphasis emphasis) {
        if (!selected)
            return foreground(emphasis, option.palette);
        QColor color = option.palette.color(QPalette::HighlightedText);
        if (emphasis != Emphasis::primary)
            color.setAlphaF(0.85f);
        return color;
    };

    painter->save();
    const QRect area = option.rect.adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding);
    int y = area.top();

    const QFont caption = styledFont(TextStyle::caption);
    const QFont caption2 = styledFont(TextStyle::caption2);
    const QColor secondary = color(Emphasis::secondary);
    const int firstLine = firstLineHeight();
    const int symbolSide = lineHeight(caption2);
    const Symbol symbol = index.data(TranscriptListModel::isMeetingRole).toBool() ? Symbol::person2 : Symbol::micFill;
    symbolIcon(symbol, secondary)
        .paint(painter, QRect(area.left(), y + (firstLine - symbolSide) / 2, symbolSide, symbolSide));
    painter->setFont(caption);
    painter->setPen(secondary);
    painter->drawText(QRect(area.left() + symbolSide + 4, y, area.width() - symbolSide - 4, firstLine),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      index.data(TranscriptListModel::relativeDateRole).toString());
    y += firstLine + lineSpacing;

    const QFont preview = previewFont();
    painter->setFont(preview);
    painter->setPen(color(Emphasis::primary));
    const int previewLineHeight = lineHeight(preview);
    const QStringList lines = wrappedLines(index.data(Qt::DisplayRole).toString(), preview, area.width(), previewLines);
    for (int line = 0; line < int(lines.size()); ++line)
        painter->drawText(QRect(area.left(), y + line * previewLineHeight, area.width(), previewLineHeight),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, lines[line]);
    y += previewLines * previewLineHeight + lineSpacing;

    painter->setFont(caption2);
    painter->setPen(color(Emphasis::tertiary));
    const QString words = index.data(TranscriptListModel::wordCountRole).toString();
    painter->drawText(QRect(area.left(), y, area.width(), lineHeight(caption2)),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, words);
    if (const QVariant duration = index.data(TranscriptListModel::durationRole); duration.isValid()) {
        const int left = area.left() + QFontMetrics(caption2).horizontalAdvance(words) + detailSpacing;
        painter->drawText(QRect(left, y, area.right() - left, lineHeight(caption2)),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, duration.toString());
    }
    painter->restore();
}

} // namespace QEL

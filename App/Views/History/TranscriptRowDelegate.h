#pragma once

#include <QStyledItemDelegate>

namespace QEL {

// Draws a row of the transcript list in three lines: the dictation or
// meeting symbol with the relative date, up to two lines of the text's
// preview, and the word count with the duration. Every row has the same
// height, so that a list of thousands lays out at once.
class TranscriptRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace QEL

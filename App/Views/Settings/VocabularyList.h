#pragma once

// The vocabulary's words as a list view: rows are made only for the words in
// sight, so a list of any length opens at once, and each row is one line, cut
// short, with a button that removes its word.

#include <QAbstractListModel>
#include <QStyledItemDelegate>

#include <functional>
#include <string>
#include <vector>

namespace QEL {

// The words as rows; the display text is the word cut to a line's worth.
class VocabularyListModel : public QAbstractListModel {
public:
    explicit VocabularyListModel(const std::vector<std::string>& words, QObject* parent = nullptr);

    // After the words have changed.
    void reload();
    const std::string& word(const QModelIndex& index) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    const std::vector<std::string>& words_;
};

// Draws a row's word and, at its right end, the remove button; a click on the
// button calls onRemove with the row.
class RemovableRowDelegate : public QStyledItemDelegate {
public:
    explicit RemovableRowDelegate(QObject* parent = nullptr);

    // Where the remove button of a row lies within the list's viewport.
    static QRect removeButtonRect(const QRect& row);

    std::function<void(const QModelIndex&)> onRemove;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
};

} // namespace QEL

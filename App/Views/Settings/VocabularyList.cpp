#include "App/Views/Settings/VocabularyList.h"

#include "App/Views/Style/Symbols.h"
#include "App/Views/Style/TextStyles.h"
#include "Platform/Text/Graphemes.h"

#include <QMouseEvent>
#include <QPainter>

namespace QEL {

namespace {

// More than a row can show; a longer word is cut here before it is laid out.
constexpr std::size_t shownCharacters = 200;
constexpr int buttonSize = 18;
constexpr int buttonMargin = 4;

} // namespace

VocabularyListModel::VocabularyListModel(const std::vector<std::string>& words, QObject* parent)
    : QAbstractListModel(parent), words_(words)
{
}

void VocabularyListModel::reload()
{
    beginResetModel();
    endResetModel();
}

const std::string& VocabularyListModel::word(const QModelIndex& index) const
{
    return words_.at(static_cast<std::size_t>(index.row()));
}

int VocabularyListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(words_.size());
}

QVariant VocabularyListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    return QString::fromStdString(Platform::graphemePrefix(word(index), shownCharacters, "…"));
}

RemovableRowDelegate::RemovableRowDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QRect RemovableRowDelegate::removeButtonRect(const QRect& row)
{
    return {row.right() - buttonMargin - buttonSize + 1, row.center().y() - buttonSize / 2, buttonSize, buttonSize};
}

void RemovableRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem text = option;
    text.rect.setRight(removeButtonRect(option.rect).left() - buttonMargin);
    QStyledItemDelegate::paint(painter, text, index);
    const QIcon remove = symbolIcon(Symbol::xmarkCircleFill, foreground(Emphasis::secondary, option.palette));
    remove.paint(painter, removeButtonRect(option.rect));
}

QSize RemovableRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QSize text = QStyledItemDelegate::sizeHint(option, index);
    return {text.width() + buttonSize + 2 * buttonMargin, std::max(text.height(), buttonSize + 2 * buttonMargin)};
}

bool RemovableRowDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                       const QModelIndex& index)
{
    if (event->type() == QEvent::MouseButtonRelease && onRemove) {
        const auto* click = static_cast<const QMouseEvent*>(event);
        if (click->button() == Qt::LeftButton && removeButtonRect(option.rect).contains(click->position().toPoint())) {
            onRemove(index);
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

} // namespace QEL

#include "App/Views/History/TranscriptListModel.h"

#include "App/State/AppState.h"
#include "App/Views/History/TranscriptTexts.h"
#include "Platform/Text/CaseMapping.h"
#include "Platform/Time/DateFormatting.h"

#include <numeric>

namespace QEL {

TranscriptListModel::TranscriptListModel(const AppState& state, QObject* parent)
    : QAbstractListModel(parent), state_(state)
{
    connect(&state, &AppState::transcriptHistoryChanged, this, [this] {
        textKeys_.clear();
        titleKeys_.clear();
        refilter();
    });
    refilter();
}

void TranscriptListModel::setSearchText(const QString& text)
{
    if (text == searchText_)
        return;
    searchText_ = text;
    refilter();
}

const std::vector<SavedTranscript>& TranscriptListModel::history() const
{
    return state_.transcriptHistory();
}

void TranscriptListModel::refilter()
{
    beginResetModel();
    rows_.clear();
    const std::vector<SavedTranscript>& entries = history();
    if (searchText_.isEmpty()) {
        rows_.resize(entries.size());
        std::iota(rows_.begin(), rows_.end(), std::size_t{0});
    } else {
        if (textKeys_.size() != entries.size()) {
            textKeys_.clear();
            titleKeys_.clear();
            for (const SavedTranscript& entry : entries) {
                textKeys_.push_back(Platform::caseFoldingKey(entry.text));
                titleKeys_.push_back(Platform::caseFoldingKey(entry.title));
            }
        }
        const std::string key = Platform::caseFoldingKey(searchText_.toStdString());
        for (std::size_t position = 0; position < entries.size(); ++position) {
            if (textKeys_[position].find(key) != std::string::npos ||
                titleKeys_[position].find(key) != std::string::npos)
                rows_.push_back(position);
        }
    }
    endResetModel();
}

const SavedTranscript& TranscriptListModel::entry(const QModelIndex& index) const
{
    return history().at(rows_.at(static_cast<std::size_t>(index.row())));
}

QModelIndex TranscriptListModel::indexOf(const std::string& id) const
{
    const std::vector<SavedTranscript>& entries = history();
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (entries[rows_[row]].id == id)
            return index(static_cast<int>(row));
    }
    return {};
}

int TranscriptListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant TranscriptListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const SavedTranscript& shown = entry(index);
    switch (role) {
    case Qt::DisplayRole: return QString::fromStdString(TranscriptTexts::preview(shown.text));
    case relativeDateRole:
        return QString::fromStdString(Platform::formatRelativeDate(shown.date, Platform::Date::now()));
    case wordCountRole: return QString::fromStdString(TranscriptTexts::wordCount(shown.wordCount));
    case durationRole:
        return shown.duration ? QVariant(QString::fromStdString(TranscriptTexts::duration(*shown.duration)))
                              : QVariant();
    case isMeetingRole: return shown.type == SavedTranscript::TranscriptType::meeting;
    default: return {};
    }
}

} // namespace QEL

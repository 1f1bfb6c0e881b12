#pragma once

#include "App/Models/SavedTranscript.h"

#include <QAbstractListModel>

#include <cstddef>
#include <string>
#include <vector>

namespace QEL {

class AppState;

// The application state's transcript history as a list, newest first, cut
// down to the entries that match a search: those whose text contains the
// search text, ignoring letter case, or failing that whose title does. The
// list follows the state, so an entry saved meanwhile appears at the top.
//
// Each row shows the entry's text preview (the display role) and the roles
// below; the relative date is formatted anew each time it is asked for.
class TranscriptListModel : public QAbstractListModel {
public:
    enum Role {
        relativeDateRole = Qt::UserRole + 1, // "3 min. ago"
        wordCountRole,                       // "12 words"
        durationRole,                        // "1:15", or none
        isMeetingRole,                       // a meeting rather than a dictation
    };

    explicit TranscriptListModel(const AppState& state, QObject* parent = nullptr);

    // An empty text shows every entry; any other is used as typed.
    void setSearchText(const QString& text);
    const QString& searchText() const { return searchText_; }

    const SavedTranscript& entry(const QModelIndex& index) const;
    // The row of the entry with that identifier, invalid when it is not shown.
    QModelIndex indexOf(const std::string& id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    // Picks the shown entries again; the view is told the list was reset.
    void refilter();
    const std::vector<SavedTranscript>& history() const;

    const AppState& state_;
    QString searchText_;
    // Positions in the history of the rows shown.
    std::vector<std::size_t> rows_;
    // The case-folded texts and titles, made at the first search after the
    // history changed, so that each keystroke only compares.
    std::vector<std::string> textKeys_;
    std::vector<std::string> titleKeys_;
};

} // namespace QEL

#pragma once

#include "App/Models/SavedTranscript.h"

#include <QSplitter>

#include <optional>

class QLabel;
class QLineEdit;
class QListView;
class QStackedWidget;

namespace QEL {

class AppState;
class TranscriptDetailView;
class TranscriptListModel;

// The history browser: on the left a search field over the list of saved
// transcripts, newest first; on the right the selected transcript. Each row's
// context menu copies the transcript's text or deletes it.
//
// A transcript is deleted from the disk first, and leaves the list only when
// its file is gone: when the file stays, the entry stays too (it would come
// back at the next launch anyway) and the failure goes to the debug log.
class TranscriptHistoryView : public QSplitter {
public:
    explicit TranscriptHistoryView(AppState& state, QWidget* parent = nullptr);

    const std::optional<SavedTranscript>& selectedTranscript() const { return selected_; }

private:
    QWidget* makeListPane();
    QWidget* makeDetailPane();
    void search(const QString& text);
    void showContextMenu(const QPoint& position);
    void deleteTranscript(const SavedTranscript& transcript);
    void select(const std::optional<SavedTranscript>& transcript);
    // Shows the list or, when nothing is in it, why; keeps the selection
    // marked in it.
    void showList();

    AppState& state_;
    TranscriptListModel* model_;
    QLineEdit* search_ = nullptr;
    QStackedWidget* listOrEmpty_ = nullptr;
    QListView* list_ = nullptr;
    QLabel* emptyTitle_ = nullptr;
    QLabel* emptyHint_ = nullptr;
    QStackedWidget* detailOrPlaceholder_ = nullptr;
    TranscriptDetailView* detail_ = nullptr;
    std::optional<SavedTranscript> selected_;
    // Set while the list is refilled, when the view's own selection goes.
    bool refilling_ = false;
};

} // namespace QEL

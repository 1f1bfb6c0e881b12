#include "App/Views/History/TranscriptHistoryView.h"

#include "App/Models/TranscriptHistoryStore.h"
#include "App/State/AppState.h"
#include "App/Utils/FileLogger.h"
#include "App/Views/History/TranscriptDetailView.h"
#include "App/Views/History/TranscriptListModel.h"
#include "App/Views/History/TranscriptRowDelegate.h"
#include "App/Views/Style/Symbols.h"
#include "App/Views/Style/TextStyles.h"
#include "Platform/Clipboard/Clipboard.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace QEL {

namespace {

constexpr QSize smallestSize{500, 300};
constexpr int listPaneMinimumWidth = 200;
constexpr int listPaneWidth = 240;

// The search field's strip, on a faint fill.
class SearchBar : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), quaternaryFill(palette())); }
};

QLabel* symbolPicture(Symbol symbol, const QColor& color, int side)
{
    auto* label = new QLabel;
    label->setPixmap(symbolIcon(symbol, color).pixmap(QSize(side, side)));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// A symbol over one or two lines of text, in the middle of its pane.
QWidget* centredMessage(QLabel* picture, std::initializer_list<QLabel*> lines)
{
    auto* message = new QWidget;
    auto* layout = new QVBoxLayout(message);
    layout->setSpacing(8);
    layout->addStretch();
    layout->addWidget(picture);
    for (QLabel* line : lines) {
        line->setAlignment(Qt::AlignCenter);
        line->setWordWrap(true);
        layout->addWidget(line);
    }
    layout->addStretch();
    return message;
}

QFrame* divider()
{
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

TranscriptHistoryView::TranscriptHistoryView(AppState& state, QWidget* parent)
    : QSplitter(Qt::Horizontal, parent), state_(state), model_(new TranscriptListModel(state, this))
{
    setMinimumSize(smallestSize);
    setChildrenCollapsible(false);
    addWidget(makeListPane());
    addWidget(makeDetailPane());
    setStretchFactor(1, 1);
    setSizes({listPaneWidth, std::max(smallestSize.width(), width()) - listPaneWidth});

    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] { refilling_ = true; });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        showList();
        refilling_ = false;
    });
    showList();
    select(std::nullopt);
}

QWidget* TranscriptHistoryView::makeListPane()
{
    auto* bar = new SearchBar;
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(8, 8, 8, 8);
    search_ = new QLineEdit;
    search_->setPlaceholderText("Search transcripts...");
    search_->setFrame(false);
    search_->setAttribute(Qt::WA_MacShowFocusRect, false);
    QPalette transparent = search_->palette();
    transparent.setColor(QPalette::Base, Qt::transparent);
    search_->setPalette(transparent);
    barLayout->addWidget(symbolLabel(Symbol::magnifyingGlass, foreground(Emphasis::secondary, bar->palette()),
                                     search_->font()));
    barLayout->addWidget(search_);
    connect(search_, &QLineEdit::textChanged, this, &TranscriptHistoryView::search);

    list_ = new QListView;
    list_->setModel(model_);
    list_->setItemDelegate(new TranscriptRowDelegate(list_));
    list_->setUniformItemSizes(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->setAccessibleName("Transcripts");
    connect(list_, &QWidget::customContextMenuRequested, this, &TranscriptHistoryView::showContextMenu);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (refilling_)
            return;
        const QModelIndexList rows = list_->selectionModel()->selectedRows();
        select(rows.isEmpty() ? std::nullopt : std::optional(model_->entry(rows.front())));
    });

    const QColor secondary = foreground(Emphasis::secondary, palette());
    emptyTitle_ = styledLabel({}, TextStyle::body, Emphasis::secondary);
    emptyHint_ = styledLabel("Start dictating to build your history", TextStyle::caption, Emphasis::tertiary);
    listOrEmpty_ = new QStackedWidget;
    listOrEmpty_->addWidget(list_);
    listOrEmpty_->addWidget(centredMessage(symbolPicture(Symbol::textBubble, secondary, 32), {emptyTitle_, emptyHint_}));

    auto* pane = new QWidget;
    pane->setMinimumWidth(listPaneMinimumWidth);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins({});
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(divider());
    layout->addWidget(listOrEmpty_, 1);
    return pane;
}

QWidget* TranscriptHistoryView::makeDetailPane()
{
    detail_ = new TranscriptDetailView;
    const QColor quaternary = foreground(Emphasis::quaternary, palette());
    detailOrPlaceholder_ = new QStackedWidget;
    detailOrPlaceholder_->addWidget(
        centredMessage(symbolPicture(Symbol::docText, quaternary, 40),
                       {styledLabel("Select a transcript", TextStyle::body, Emphasis::secondary)}));
    detailOrPlaceholder_->addWidget(detail_);
    return detailOrPlaceholder_;
}

void TranscriptHistoryView::search(const QString& text)
{
    model_->setSearchText(text);
}

void TranscriptHistoryView::showList()
{
    const bool searching = !model_->searchText().isEmpty();
    emptyTitle_->setText(searching ? "No results" : "No transcripts yet");
    emptyHint_->setVisible(!searching);
    listOrEmpty_->setCurrentIndex(model_->rowCount() == 0 ? 1 : 0);
    if (selected_) {
        if (const QModelIndex row = model_->indexOf(selected_->id); row.isValid())
            list_->selectionModel()->select(row, QItemSelectionModel::ClearAndSelect);
    }
}

void TranscriptHistoryView::select(const std::optional<SavedTranscript>& transcript)
{
    selected_ = transcript;
    if (transcript)
        detail_->setTranscript(*transcript);
    detailOrPlaceholder_->setCurrentIndex(transcript ? 1 : 0);
}

void TranscriptHistoryView::showContextMenu(const QPoint& position)
{
    const QModelIndex row = list_->indexAt(position);
    if (!row.isValid())
        return;
    const SavedTranscript transcript = model_->entry(row);
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction("Copy Text", this, [text = transcript.text] { Platform::setClipboardText(text); });
    menu->addSeparator();
    menu->addAction("Delete", this, [this, transcript] { deleteTranscript(transcript); });
    menu->popup(list_->viewport()->mapToGlobal(position));
}

void TranscriptHistoryView::deleteTranscript(const SavedTranscript& transcript)
{
    try {
        state_.transcriptHistoryStore().deleteEntry(transcript);
    } catch (const std::exception& error) {
        FileLogger::log("Failed to delete transcript " + transcript.id + ": " + error.what());
        return;
    }
    std::vector<SavedTranscript> history = state_.transcriptHistory();
    // Only the row's own entry goes: another file may hold the same identifier.
    const auto row = std::find_if(history.begin(), history.end(), [&](const SavedTranscript& entry) {
        return entry == transcript && entry.fileName == transcript.fileName;
    });
    if (row != history.end())
        history.erase(row);
    if (selected_ && selected_->id == transcript.id && selected_->fileName == transcript.fileName)
        select(std::nullopt);
    state_.setTranscriptHistory(std::move(history));
}

} // namespace QEL

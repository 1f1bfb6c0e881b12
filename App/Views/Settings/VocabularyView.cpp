#include "App/Views/Settings/VocabularyView.h"

#include "App/Models/SettingsKeys.h"
#include "App/Views/Settings/VocabularyList.h"
#include "App/Views/Style/Symbols.h"
#include "App/Views/Style/TextStyles.h"
#include "Platform/Text/CaseMapping.h"
#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/Graphemes.h"
#include "Platform/UserDefaults/UserDefaults.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace QEL {

namespace {

std::string trimmed(const QString& text)
{
    const std::string utf8 = text.toStdString();
    return std::string(Platform::trimming(utf8, Platform::CharacterSet::whitespacesAndNewlines));
}

// Rows in sight at most; a longer list scrolls within its own frame.
constexpr int visibleRows = 8;
// Characters of the sample sentence shown; the engine uses far fewer.
constexpr std::size_t shownSentenceLength = 10000;

} // namespace

VocabularyView::VocabularyView(Platform::UserDefaults& defaults, QWidget* parent)
    : SettingsForm(parent), defaults_(defaults), words_(storedValue(defaults, SettingsKeys::customVocabulary))
{
    addIntroduction();
    addWordsSection();
    addContextSection();
    addNote();
}

void VocabularyView::addIntroduction()
{
    QVBoxLayout* section = addSection();
    section->setSpacing(6);
    section->addWidget(wrappingLabel(
        "Teach QEL words it doesn't recognize — your name, your company, technical jargon.", TextStyle::callout));
    section->addWidget(wrappingLabel("Example: add \"Tolvek\", \"RadozodEri\", \"QEL\", or any term QEL might mishear.",
                                     TextStyle::caption, Emphasis::secondary));
}

void VocabularyView::addWordsSection()
{
    QVBoxLayout* section = addSection("Words & Phrases");
    noWords_ = new QWidget;
    auto* noWordsRow = new QHBoxLayout(noWords_);
    noWordsRow->setContentsMargins(0, 4, 0, 4);
    const QFont callout = styledFont(TextStyle::callout);
    noWordsRow->addWidget(symbolLabel(Symbol::textBookClosed, foreground(Emphasis::tertiary, palette()), callout));
    noWordsRow->addWidget(styledLabel("No custom words yet", TextStyle::callout, Emphasis::secondary));
    noWordsRow->addStretch();
    section->addWidget(noWords_);

    model_ = new VocabularyListModel(words_, this);
    auto* rows = new RemovableRowDelegate(this);
    // Queued: the list is still handling the click when the rows change.
    rows->onRemove = [this](const QModelIndex& row) {
        QMetaObject::invokeMethod(
            this, [this, word = model_->word(row)] { removeWord(word); }, Qt::QueuedConnection);
    };
    list_ = new QListView;
    list_->setAccessibleName("Words & Phrases");
    list_->setModel(model_);
    list_->setItemDelegate(rows);
    list_->setUniformItemSizes(true);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setFocusPolicy(Qt::NoFocus);
    list_->setTextElideMode(Qt::ElideRight);
    list_->setWordWrap(false);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setFrameShape(QFrame::NoFrame);
    list_->viewport()->setAutoFillBackground(false);
    list_->setFont(styledFont(TextStyle::body));
    section->addWidget(list_);
    showWords();

    auto* addRow = new QHBoxLayout;
    newWord_ = new QLineEdit;
    newWord_->setPlaceholderText("Add a word or phrase…");
    newWord_->setAccessibleName("Add a word or phrase");
    add_ = new QPushButton("Add");
    add_->setEnabled(false);
    addRow->addWidget(newWord_);
    addRow->addWidget(add_);
    section->addLayout(addRow);
    connect(newWord_, &QLineEdit::textChanged, this,
            [this](const QString& text) { add_->setEnabled(!trimmed(text).empty()); });
    connect(newWord_, &QLineEdit::returnPressed, this, &VocabularyView::addWord);
    connect(add_, &QPushButton::clicked, this, &VocabularyView::addWord);
}

void VocabularyView::addContextSection()
{
    QVBoxLayout* section = addSection("Context");
    section->setSpacing(6);
    section->addWidget(styledLabel("Sample sentence", TextStyle::callout));
    section->addWidget(wrappingLabel("Optional. Write a sentence that uses your vocabulary in context — it helps "
                                     "Whisper recognize the words.",
                                     TextStyle::caption, Emphasis::secondary));
    // A stored sentence far longer than the engine's prompt can use is shown
    // cut: laying out megabytes would hold the window for minutes. It stays
    // stored whole until it is edited.
    const std::string stored = storedValue(defaults_, SettingsKeys::vocabularySampleSentence);
    auto* sentence =
        new QPlainTextEdit(QString::fromStdString(std::string(Platform::graphemePrefix(stored, shownSentenceLength))));
    sentence->setAccessibleName("Sample sentence");
    sentence->setMinimumHeight(60);
    sentence->setMaximumHeight(90);
    QColor border = foreground(Emphasis::secondary, palette());
    border.setAlphaF(0.3f);
    sentence->setStyleSheet(QString("QPlainTextEdit { border: 1px solid %1; border-radius: 6px; padding: 6px; "
                                    "background: transparent; }")
                                .arg(border.name(QColor::HexArgb)));
    section->addWidget(sentence);
    connect(sentence, &QPlainTextEdit::textChanged, this, [this, sentence] {
        defaults_.set(sentence->toPlainText().toStdString(), SettingsKeys::vocabularySampleSentence.key);
    });
}

void VocabularyView::addNote()
{
    auto* row = new QHBoxLayout;
    const QFont caption = styledFont(TextStyle::caption);
    row->addWidget(symbolLabel(Symbol::infoCircle, foreground(Emphasis::secondary, palette()), caption), 0,
                   Qt::AlignTop);
    row->addWidget(wrappingLabel("Changes take effect the next time the model is loaded. Use \"Reload Model\" in the "
                                 "Model tab to apply now.",
                                 TextStyle::caption, Emphasis::secondary),
                   1);
    addSection()->addLayout(row);
}

void VocabularyView::showWords()
{
    model_->reload();
    noWords_->setVisible(words_.empty());
    list_->setVisible(!words_.empty());
    if (words_.empty())
        return;
    const int rows = static_cast<int>(std::min<std::size_t>(words_.size(), visibleRows));
    list_->setFixedHeight(rows * list_->sizeHintForRow(0) + 2 * list_->frameWidth());
}

void VocabularyView::addWord()
{
    const std::string word = trimmed(newWord_->text());
    if (word.empty())
        return;
    const bool known =
        std::ranges::any_of(words_, [&](const std::string& entry) { return Platform::equalIgnoringCase(entry, word); });
    if (!known) {
        words_.push_back(word);
        storeWords();
        showWords();
    }
    newWord_->clear();
    newWord_->setFocus();
}

void VocabularyView::removeWord(const std::string& word)
{
    std::erase(words_, word);
    storeWords();
    showWords();
}

void VocabularyView::storeWords()
{
    defaults_.set(words_, SettingsKeys::customVocabulary.key);
}

} // namespace QEL

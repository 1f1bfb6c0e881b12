#include "App/Views/Settings/VocabularyView.h"

#include "App/Models/SettingsKeys.h"
#include "App/Views/Style/Symbols.h"
#include "App/Views/Style/TextStyles.h"
#include "Platform/Text/CaseMapping.h"
#include "Platform/Text/CharacterSets.h"
#include "Platform/UserDefaults/UserDefaults.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace QEL {

namespace {

std::string trimmed(const QString& text)
{
    const std::string utf8 = text.toStdString();
    return std::string(Platform::trimming(utf8, Platform::CharacterSet::whitespacesAndNewlines));
}

// Removes and deletes every row of a layout.
void clear(QLayout* layout)
{
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QLayout* inner = item->layout())
            clear(inner);
        delete item->widget();
        delete item;
    }
}

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
    wordRows_ = new QVBoxLayout;
    section->addLayout(wordRows_);
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
    auto* sentence =
        new QPlainTextEdit(QString::fromStdString(storedValue(defaults_, SettingsKeys::vocabularySampleSentence)));
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
    clear(wordRows_);
    if (words_.empty()) {
        auto* row = new QHBoxLayout;
        row->setContentsMargins(0, 4, 0, 4);
        const QFont callout = styledFont(TextStyle::callout);
        row->addWidget(symbolLabel(Symbol::textBookClosed, foreground(Emphasis::tertiary, palette()), callout));
        row->addWidget(styledLabel("No custom words yet", TextStyle::callout, Emphasis::secondary));
        row->addStretch();
        wordRows_->addLayout(row);
        return;
    }
    for (const std::string& word : words_) {
        auto* row = new QHBoxLayout;
        QLabel* text = wrappingLabel(QString::fromStdString(word), TextStyle::body);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        auto* remove = new QToolButton;
        remove->setAutoRaise(true);
        remove->setIcon(symbolIcon(Symbol::xmarkCircleFill, foreground(Emphasis::secondary, palette())));
        remove->setToolTip("Remove");
        remove->setAccessibleName("Remove " + QString::fromStdString(word));
        // Queued: rebuilding the rows deletes this button, which must first
        // finish handling its click.
        connect(
            remove, &QToolButton::clicked, this, [this, word] { removeWord(word); }, Qt::QueuedConnection);
        row->addWidget(text, 1);
        row->addWidget(remove);
        wordRows_->addLayout(row);
    }
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

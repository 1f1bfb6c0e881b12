#include "App/Views/History/TranscriptDetailView.h"

#include "App/Views/History/TranscriptTexts.h"
#include "App/Views/Style/Symbols.h"
#include "App/Views/Style/TextStyles.h"
#include "Platform/Clipboard/Clipboard.h"
#include "Platform/Text/CaseMapping.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace QEL {

namespace {

constexpr int padding = 12;

// A symbol before a text, both in the caption style.
QWidget* captionLabel(Symbol symbol, QLabel*& text)
{
    auto* label = new QWidget;
    auto* layout = new QHBoxLayout(label);
    layout->setContentsMargins({});
    layout->setSpacing(4);
    text = styledLabel({}, TextStyle::caption, Emphasis::secondary);
    layout->addWidget(symbolLabel(symbol, foreground(Emphasis::secondary, text->palette()), text->font()));
    layout->addWidget(text);
    return label;
}

} // namespace

TranscriptDetailView::TranscriptDetailView(QWidget* parent)
    : QWidget(parent), title_(styledLabel({}, TextStyle::headline)), copy_(new QPushButton("Copy")),
      text_(new QPlainTextEdit)
{
    title_->setWordWrap(true);
    auto* facts = new QHBoxLayout;
    facts->setSpacing(12);
    facts->addWidget(captionLabel(Symbol::textformatSize, wordCount_));
    language_ = captionLabel(Symbol::globe, languageCode_);
    facts->addWidget(language_);
    facts->addStretch();

    auto* heading = new QVBoxLayout;
    heading->setSpacing(2);
    heading->addWidget(title_);
    heading->addLayout(facts);

    copy_->setIcon(symbolIcon(Symbol::docOnDoc, foreground(Emphasis::primary, palette())));
    connect(copy_, &QPushButton::clicked, this, [this] { Platform::setClipboardText(copiedText_); });

    auto* header = new QHBoxLayout;
    header->setContentsMargins(padding, padding, padding, padding);
    header->addLayout(heading, 1);
    header->addWidget(copy_, 0, Qt::AlignTop);

    auto* divider = new QFrame;
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);

    text_->setReadOnly(true);
    text_->setFrameShape(QFrame::NoFrame);
    text_->setFont(styledFont(TextStyle::body));
    text_->document()->setDocumentMargin(padding);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    text_->setAccessibleName("Transcript text");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins({});
    layout->setSpacing(0);
    layout->addLayout(header);
    layout->addWidget(divider);
    layout->addWidget(text_, 1);
}

void TranscriptDetailView::setTranscript(const SavedTranscript& transcript)
{
    title_->setText(QString::fromStdString(transcript.title));
    wordCount_->setText(QString::fromStdString(TranscriptTexts::wordCount(transcript.wordCount)));
    language_->setVisible(transcript.language.has_value());
    languageCode_->setText(transcript.language ? QString::fromStdString(Platform::uppercased(*transcript.language))
                                               : QString());
    text_->setPlainText(QString::fromStdString(transcript.text));
    copiedText_ = transcript.text;
}

} // namespace QEL

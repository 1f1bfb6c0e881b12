#pragma once

#include "App/Models/SavedTranscript.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace QEL {

// One transcript in full: its title, word count and language over its whole
// text, which the user can select and scroll, with a button that copies the
// text.
class TranscriptDetailView : public QWidget {
public:
    explicit TranscriptDetailView(QWidget* parent = nullptr);

    void setTranscript(const SavedTranscript& transcript);

private:
    QLabel* title_;
    QLabel* wordCount_;
    QWidget* language_;
    QLabel* languageCode_;
    QPushButton* copy_;
    QPlainTextEdit* text_;
    std::string copiedText_;
};

} // namespace QEL

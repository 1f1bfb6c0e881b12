#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>
#include <QStringList>

class QLabel;
class QWidget;

namespace QEL {

// The sizes and weights of text in the windows, relative to the application's
// font, which is the body size.
enum class TextStyle { body, callout, caption, caption2, headline };

// Levels of emphasis of text and symbols: the palette's text colour, fading
// with each level.
enum class Emphasis { primary, secondary, tertiary, quaternary };

QFont styledFont(TextStyle style);
QColor foreground(Emphasis emphasis, const QPalette& palette);
// The faint fill behind a control that sits on the window's background, such
// as a search field or a key-combination button: the text colour, barely.
QColor quaternaryFill(const QPalette& palette);

// A label of plain text (never read as markup: it may show the user's own
// words) in the given style and emphasis.
QLabel* styledLabel(const QString& text, TextStyle style, Emphasis emphasis = Emphasis::primary,
                    QWidget* parent = nullptr);

// A styled label whose text wraps at blanks to the width the layout gives it.
// It asks for no width of its own, so a long word (the user's own, or a path
// in an error) never widens the window and pushes the controls beside it out
// of sight: a word longer than a line is cut off at the label's edge instead.
QLabel* wrappingLabel(const QString& text, TextStyle style, Emphasis emphasis = Emphasis::primary,
                      QWidget* parent = nullptr);

// The text on one line: line breaks and tabs read as spaces.
QString singleLine(QString text);

// The text's lines when wrapped at `width` in `font`, at most `maximumLines`,
// the last one cut with "…" when more text follows.
QStringList wrappedLines(const QString& text, const QFont& font, int width, int maximumLines);

// Draws the label's text in `color`.
void setTextColor(QLabel* label, const QColor& color);

} // namespace QEL

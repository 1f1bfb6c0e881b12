#pragma once

// A line of the menu that informs and does nothing when clicked: an optional
// symbol in its colour, then text wrapped to at most a few lines, the last one
// cut with "…" when the text goes on. The text is shown as it is: no markup,
// no mnemonics.

#include "App/Views/Style/Symbols.h"
#include "App/Views/Style/TextStyles.h"

#include <QWidget>

#include <optional>

namespace QEL {

class MenuInfoLine : public QWidget {
    Q_OBJECT

public:
    struct Mark {
        Symbol symbol;
        QColor colour;
    };
    // The widest a line of text gets before it wraps.
    static constexpr int maximumTextWidth = 260;

    // The text starts `indent` from the left, where the items' titles start.
    MenuInfoLine(const QString& text, const QFont& font, Emphasis emphasis, int maximumLines, std::optional<Mark> mark,
                 int indent, QWidget* parent = nullptr);

    QString text() const { return text_; }
    // The lines as shown, each cut to fit.
    QStringList shownLines() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int symbolSize = 16;
    static constexpr int markGap = 6;
    static constexpr int verticalInset = 3;

    int textLeft() const;

    QString text_;
    Emphasis emphasis_;
    std::optional<Mark> mark_;
    int indent_;
    QStringList lines_;
    int textWidth_ = 0;
};

} // namespace QEL

#include "App/Views/Style/TextStyles.h"

#include <QApplication>
#include <QLabel>
#include <QTextLayout>

namespace QEL {

QFont styledFont(TextStyle style)
{
    QFont font = QApplication::font();
    const qreal body = font.pointSizeF();
    switch (style) {
    case TextStyle::body: break;
    case TextStyle::callout: font.setPointSizeF(body * 0.93); break;
    case TextStyle::caption: font.setPointSizeF(body * 0.85); break;
    case TextStyle::caption2: font.setPointSizeF(body * 0.8); break;
    case TextStyle::headline: font.setBold(true); break;
    }
    return font;
}

QColor foreground(Emphasis emphasis, const QPalette& palette)
{
    QColor color = palette.color(QPalette::WindowText);
    switch (emphasis) {
    case Emphasis::primary: break;
    case Emphasis::secondary: color.setAlphaF(0.6f); break;
    case Emphasis::tertiary: color.setAlphaF(0.4f); break;
    case Emphasis::quaternary: color.setAlphaF(0.25f); break;
    }
    return color;
}

QColor quaternaryFill(const QPalette& palette)
{
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.06f);
    return color;
}

QLabel* styledLabel(const QString& text, TextStyle style, Emphasis emphasis, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(styledFont(style));
    if (emphasis != Emphasis::primary)
        setTextColor(label, foreground(emphasis, label->palette()));
    return label;
}

QLabel* wrappingLabel(const QString& text, TextStyle style, Emphasis emphasis, QWidget* parent)
{
    QLabel* label = styledLabel(text, style, emphasis, parent);
    label->setWordWrap(true);
    QSizePolicy policy = label->sizePolicy();
    policy.setHorizontalPolicy(QSizePolicy::Ignored);
    label->setSizePolicy(policy);
    return label;
}

QString singleLine(QString text)
{
    for (QChar& character : text) {
        if (character.isSpace())
            character = QLatin1Char(' ');
    }
    return text;
}

QStringList wrappedLines(const QString& text, const QFont& font, int width, int maximumLines)
{
    QString laidOut = text;
    laidOut.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(laidOut, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (int(lines.size()) == maximumLines - 1) {
            const QString rest = laidOut.mid(line.textStart()).simplified();
            lines.append(QFontMetrics(font).elidedText(rest, Qt::ElideRight, width));
            break;
        }
        lines.append(laidOut.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}

void setTextColor(QLabel* label, const QColor& color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

} // namespace QEL

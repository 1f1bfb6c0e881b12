#include "App/Views/MenuBar/MenuBarMenu.h"

#include "App/Views/Common/LinearProgressBar.h"
#include "App/Views/Style/TextStyles.h"
#include "Platform/Clipboard/Clipboard.h"
#include "Platform/Text/Format.h"
#include "Platform/Text/Graphemes.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QWidgetAction>

namespace QEL {

namespace {

constexpr std::size_t recentTitleLength = 40;

const QColor red(255, 59, 48);
const QColor orange(255, 149, 0);
const QColor green(52, 199, 89);

// A menu item's title is one line, and "&" would mark a shortcut letter: the
// text is shown as it is otherwise.
QString itemTitle(const std::string& text)
{
    return singleLine(QString::fromStdString(text)).replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

MenuBarMenu::MenuBarMenu(QWidget* parent) : QMenu(parent)
{
    rebuild();
}

void MenuBarMenu::setContent(const MenuBarContent& content)
{
    if (content == content_ && built_)
        return;
    content_ = content;
    rebuild();
}

void MenuBarMenu::rebuild()
{
    // An action may be rebuilt away from inside its own triggered signal, so
    // the old ones go later.
    for (QAction* action : actions()) {
        removeAction(action);
        action->deleteLater();
    }
    built_ = true;

    addDictationItem();
    addSeparator();
    addMicrophones();
    addSeparator();
    addModelStatus();
    if (!content_.currentTranscript.empty()) {
        addSeparator();
        addInfo(QString::fromStdString(content_.currentTranscript), styledFont(TextStyle::caption), Emphasis::primary, 3);
    }
    if (content_.transcriptionCount > 0)
        addInfo(tr("Latency: ") + QString::fromStdString(Platform::wholeNumberText(content_.lastLatencyMs)) + "ms",
                styledFont(TextStyle::caption2), Emphasis::secondary);
    addSeparator();
    addRecentTranscripts();

    QAction* settings = addAction(tr("Settings..."));
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(settings, &QAction::triggered, this, &MenuBarMenu::settingsRequested);
    QAction* quit = addAction(tr("Quit QEL"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, &MenuBarMenu::quitRequested);
}

void MenuBarMenu::addDictationItem()
{
    const QColor ink = palette().color(QPalette::WindowText);
    QAction* dictation = addAction(symbolIcon(content_.isRecording ? Symbol::stopFill : Symbol::micFill, ink),
                                   content_.isRecording ? tr("Stop Dictation") : tr("Start Dictation"));
    dictation->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    dictation->setEnabled(content_.isModelLoaded);
    connect(dictation, &QAction::triggered, this, &MenuBarMenu::toggleRecordingRequested);
}

void MenuBarMenu::addMicrophones()
{
    addInfo(tr("Microphone"), styledFont(TextStyle::caption2), Emphasis::secondary);
    for (const MenuBarContent::Device& device : content_.devices) {
        const bool selected = content_.selectedDevice == device.id;
        QString title = itemTitle(device.name);
        if (device.isDefault)
            title += ' ' + tr("(Default)");
        QAction* item = addAction(selected ? symbolIcon(Symbol::checkmark, palette().color(QPalette::WindowText)) : QIcon(), title);
        connect(item, &QAction::triggered, this, [this, id = device.id] { emit deviceChosen(id); });
    }
    if (content_.devices.empty())
        addInfo(tr("No microphone found"), font(), Emphasis::primary, 1,
                MenuInfoLine::Mark{Symbol::micSlash, red});
}

void MenuBarMenu::addModelStatus()
{
    if (content_.isLoadingModel) {
        const QString phase =
            content_.modelLoadPhase.empty() ? tr("Loading model...") : QString::fromStdString(content_.modelLoadPhase);
        addInfo(phase, font(), Emphasis::primary, 1, MenuInfoLine::Mark{Symbol::arrowDownCircle, orange});
        addProgressBar(content_.modelDownloadProgress);
        addInfo(QString::fromStdString(Platform::wholeNumberText(content_.modelDownloadProgress * 100)) + "%",
                styledFont(TextStyle::caption2), Emphasis::secondary);
    } else if (content_.isModelLoaded) {
        addInfo(tr("Ready"), font(), Emphasis::primary, 1, MenuInfoLine::Mark{Symbol::checkmarkCircleFill, green});
    } else if (content_.errorMessage) {
        addInfo(QString::fromStdString(*content_.errorMessage), font(), Emphasis::primary, 2,
                MenuInfoLine::Mark{Symbol::exclamationmarkTriangle, red});
    }
}

void MenuBarMenu::addRecentTranscripts()
{
    if (content_.recentTranscripts.empty())
        return;
    addInfo(tr("Recent"), styledFont(TextStyle::caption2), Emphasis::secondary);
    for (const MenuBarContent::RecentTranscript& transcript : content_.recentTranscripts) {
        QAction* item = addAction(itemTitle(Platform::graphemePrefix(transcript.text, recentTitleLength, "...")));
        item->setFont(styledFont(TextStyle::caption));
        connect(item, &QAction::triggered, this, [text = transcript.text] { Platform::setClipboardText(text); });
    }
    addSeparator();
}

void MenuBarMenu::addInfo(const QString& text, const QFont& font, Emphasis emphasis, int maximumLines,
                          std::optional<MenuInfoLine::Mark> mark)
{
    auto* action = new QWidgetAction(this);
    // Desktops that draw the menu themselves show the text alone.
    action->setText(itemTitle(text.toStdString()));
    action->setEnabled(false);
    action->setDefaultWidget(new MenuInfoLine(text, font, emphasis, maximumLines, mark, titleIndent()));
    addAction(action);
}

void MenuBarMenu::addProgressBar(double fraction)
{
    auto* holder = new QWidget;
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(titleIndent(), 2, titleIndent(), 2);
    auto* bar = new LinearProgressBar(palette().color(QPalette::Highlight), palette().color(QPalette::Mid), holder);
    bar->setFixedWidth(200);
    bar->setValue(fraction);
    row->addWidget(bar, 0, Qt::AlignLeft);
    auto* action = new QWidgetAction(this);
    action->setText(QString::fromStdString(Platform::wholeNumberText(fraction * 100)) + "%");
    action->setEnabled(false);
    action->setDefaultWidget(holder);
    addAction(action);
}

int MenuBarMenu::titleIndent() const
{
    return style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this) + 12;
}

} // namespace QEL

#pragma once

// The tray icon's menu: start or stop dictation, the microphones, the model's
// state, the last transcript and its latency, the three newest saved
// transcripts to copy, settings and quit.

#include "App/Views/MenuBar/MenuBarContent.h"
#include "App/Views/MenuBar/MenuInfoLine.h"

#include <QMenu>

namespace QEL {

class MenuBarMenu : public QMenu {
    Q_OBJECT

public:
    explicit MenuBarMenu(QWidget* parent = nullptr);

    // Rebuilds the entries when `content` differs from what they show.
    void setContent(const MenuBarContent& content);
    const MenuBarContent& content() const { return content_; }

signals:
    void toggleRecordingRequested();
    void deviceChosen(std::uint32_t deviceId);
    void settingsRequested();
    void quitRequested();

private:
    void rebuild();
    void addDictationItem();
    void addMicrophones();
    void addModelStatus();
    void addRecentTranscripts();
    // A line that only informs.
    void addInfo(const QString& text, const QFont& font, Emphasis emphasis, int maximumLines = 1,
                 std::optional<MenuInfoLine::Mark> mark = std::nullopt);
    void addProgressBar(double fraction);
    // Where the items' titles start, so that lines that only inform align with them.
    int titleIndent() const;

    MenuBarContent content_;
    bool built_ = false;
};

} // namespace QEL

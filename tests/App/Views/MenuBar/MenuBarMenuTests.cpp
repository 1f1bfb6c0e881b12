#include "App/Views/MenuBar/MenuBarMenu.h"
#include "App/Views/Common/LinearProgressBar.h"
#include "App/Views/MenuBar/MenuInfoLine.h"

#include <QApplication>
#include <QClipboard>
#include <QWidgetAction>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using QEL::MenuBarContent;
using QEL::MenuBarMenu;
using testing::ElementsAre;
using testing::ElementsAreArray;

namespace {

// Each entry as a person reads it: "---" for a divider; a line that only
// informs in brackets, its shown lines joined by " / "; an item's title, with
// "✓" when it carries a mark, "(off)" when it cannot be chosen, and its keys.
std::vector<std::string> entries(const QMenu& menu)
{
    std::vector<std::string> described;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            described.push_back("---");
        } else if (const auto* holder = qobject_cast<const QWidgetAction*>(action)) {
            if (const auto* line = qobject_cast<const QEL::MenuInfoLine*>(holder->defaultWidget()))
                described.push_back("[" + line->shownLines().join(" / ").toStdString() + "]");
            else if (const auto* bar = holder->defaultWidget()->findChild<const QEL::LinearProgressBar*>())
                described.push_back("[bar " + std::to_string(int(bar->value() * 1000)) + "‰]");
        } else {
            std::string entry = action->text().toStdString();
            if (!action->icon().isNull() && !entry.ends_with("Dictation"))
                entry = "✓ " + entry;
            if (!action->isEnabled())
                entry += " (off)";
            if (!action->shortcut().isEmpty())
                entry += " " + action->shortcut().toString().toStdString();
            described.push_back(entry);
        }
    }
    return described;
}

QAction* actionNamed(const QMenu& menu, const QString& text)
{
    for (QAction* action : menu.actions()) {
        if (action->text() == text)
            return action;
    }
    ADD_FAILURE() << "no entry " << text.toStdString();
    return nullptr;
}

MenuBarContent loaded()
{
    return {.isModelLoaded = true,
            .devices = {{.id = 7, .name = "Built-in Microphone", .isDefault = true}},
            .selectedDevice = 7};
}

} // namespace

TEST(MenuBarMenu, EntriesInOrderWithTheirTextsAndStates)
{
    struct Case {
        const char* name;
        MenuBarContent content;
        std::vector<std::string> entries;
    };
    const std::vector<std::string> tail{"---", "Settings... Ctrl+,", "Quit QEL Ctrl+Q"};
    auto with = [&](std::vector<std::string> head) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };

    MenuBarContent loading;
    loading.isLoadingModel = true;
    loading.modelDownloadProgress = 0.426;
    MenuBarContent downloading = loading;
    downloading.modelLoadPhase = "Downloading model";
    downloading.modelDownloadProgress = 1;
    MenuBarContent failed;
    failed.errorMessage = "Failed to load model: the file is not a model";
    MenuBarContent readyDespiteError = loaded();
    readyDespiteError.errorMessage = "an old error";
    MenuBarContent recording = loaded();
    recording.isRecording = true;
    recording.devices.push_back({.id = 9, .name = "USB Headset", .isDefault = false});
    recording.selectedDevice = 9;
    recording.currentTranscript = "Hello there.";
    recording.transcriptionCount = 1;
    recording.lastLatencyMs = 245.9;
    MenuBarContent unheard = loaded();
    unheard.lastLatencyMs = 300;
    unheard.selectedDevice.reset();
    MenuBarContent recordingUnloaded;
    recordingUnloaded.isRecording = true;

    const Case cases[] = {
        {"nothing loaded, no microphone",
         {},
         with({"Start Dictation (off) Ctrl+Shift+D", "---", "[Microphone]", "[No microphone found]", "---"})},
        {"loading without a phase",
         loading,
         with({"Start Dictation (off) Ctrl+Shift+D", "---", "[Microphone]", "[No microphone found]", "---",
               "[Loading model...]", "[bar 426‰]", "[42%]"})},
        {"loading with a phase",
         downloading,
         with({"Start Dictation (off) Ctrl+Shift+D", "---", "[Microphone]", "[No microphone found]", "---",
               "[Downloading model]", "[bar 1000‰]", "[100%]"})},
        {"failed", failed,
         with({"Start Dictation (off) Ctrl+Shift+D", "---", "[Microphone]", "[No microphone found]", "---",
               "[Failed to load model: the file is not a model]"})},
        {"ready shows no old error", readyDespiteError,
         with({"Start Dictation Ctrl+Shift+D", "---", "[Microphone]", "✓ Built-in Microphone (Default)", "---",
               "[Ready]"})},
        {"recording", recording,
         with({"Stop Dictation Ctrl+Shift+D", "---", "[Microphone]", "Built-in Microphone (Default)", "✓ USB Headset",
               "---", "[Ready]", "---", "[Hello there.]", "[Latency: 245ms]"})},
        {"no transcription yet hides the latency, no selection marks no device", unheard,
         with({"Start Dictation Ctrl+Shift+D", "---", "[Microphone]", "Built-in Microphone (Default)", "---",
               "[Ready]"})},
        {"recording but no model", recordingUnloaded,
         with({"Stop Dictation (off) Ctrl+Shift+D", "---", "[Microphone]", "[No microphone found]", "---"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MenuBarMenu menu;
        menu.setContent(c.content);
        EXPECT_THAT(entries(menu), ElementsAreArray(c.entries));
    }
}

TEST(MenuBarMenu, RecentTranscriptsAreTheNewestThreeCutToFortyCharacters)
{
    const std::string forty = "Exactly forty characters long, I think!!";
    ASSERT_EQ(forty.size(), 40u);
    MenuBarContent content = loaded();
    content.recentTranscripts = {
        {.id = "A", .text = forty},
        {.id = "B", .text = forty + "?"},
        // Characters, not bytes: each flag is one character of eight bytes.
        {.id = "C", .text = std::string(39, 'x') + "\U0001F1E9\U0001F1EA\U0001F1EB\U0001F1F7"},
    };
    MenuBarMenu menu;
    menu.setContent(content);
    const std::vector<std::string> shown = entries(menu);
    EXPECT_THAT(std::vector<std::string>(shown.end() - 7, shown.end()),
                ElementsAre("[Recent]", forty, forty + "...", std::string(39, 'x') + "\U0001F1E9\U0001F1EA...", "---",
                            "Settings... Ctrl+,", "Quit QEL Ctrl+Q"));

    // Choosing one puts its whole text on the clipboard, replacing what was there.
    QGuiApplication::clipboard()->setText("something else");
    actionNamed(menu, QString::fromStdString(forty + "..."))->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), forty + "?");
}

TEST(MenuBarMenu, NamesAndTranscriptsAreShownAsTheyAre)
{
    MenuBarContent content = loaded();
    content.devices = {{.id = 1, .name = "Tom & Jerry's <b>Mic</b>", .isDefault = false}};
    content.currentTranscript = "first line\nsecond line & more";
    content.transcriptionCount = 2;
    content.recentTranscripts = {{.id = "A", .text = "R&D\tnotes\nsecond line"}};
    MenuBarMenu menu;
    menu.setContent(content);
    // "&" would otherwise mark a shortcut letter; a menu item is one line.
    EXPECT_NE(actionNamed(menu, "Tom && Jerry's <b>Mic</b>"), nullptr);
    EXPECT_NE(actionNamed(menu, "R&&D notes second line"), nullptr);
    EXPECT_THAT(entries(menu), testing::Contains("[first line / second line & more]"));
}

TEST(MenuBarMenu, LongTextsWrapToTheirLineLimits)
{
    MenuBarContent content;
    content.errorMessage = std::string(200, 'e');
    content.currentTranscript = std::string(400, 't');
    MenuBarMenu menu;
    menu.setContent(content);
    for (const QAction* action : menu.actions()) {
        const auto* holder = qobject_cast<const QWidgetAction*>(action);
        const auto* line = holder ? qobject_cast<const QEL::MenuInfoLine*>(holder->defaultWidget()) : nullptr;
        if (!line || line->text().size() < 100)
            continue;
        const int limit = line->text().startsWith('e') ? 2 : 3;
        EXPECT_EQ(line->shownLines().size(), limit);
        EXPECT_TRUE(line->shownLines().back().endsWith(QChar(0x2026)));
        EXPECT_LE(line->sizeHint().width(), QEL::MenuInfoLine::maximumTextWidth + 2 * 40);
    }
}

TEST(MenuBarMenu, ChoosingAnEntrySaysWhatWasChosen)
{
    MenuBarContent content = loaded();
    content.devices.push_back({.id = 9, .name = "USB Headset"});
    MenuBarMenu menu;
    menu.setContent(content);
    std::vector<std::string> chosen;
    QObject::connect(&menu, &MenuBarMenu::deviceChosen, [&](std::uint32_t id) { chosen.push_back("device " + std::to_string(id)); });
    QObject::connect(&menu, &MenuBarMenu::settingsRequested, [&] { chosen.push_back("settings"); });
    QObject::connect(&menu, &MenuBarMenu::quitRequested, [&] { chosen.push_back("quit"); });
    // The state changes while the item's own signal is being handled, which
    // rebuilds the menu under it.
    QObject::connect(&menu, &MenuBarMenu::toggleRecordingRequested, [&] {
        chosen.push_back("toggle");
        MenuBarContent recording = menu.content();
        recording.isRecording = true;
        menu.setContent(recording);
    });

    actionNamed(menu, "Start Dictation")->trigger();
    actionNamed(menu, "Stop Dictation")->trigger();
    actionNamed(menu, "USB Headset")->trigger();
    actionNamed(menu, "Settings...")->trigger();
    actionNamed(menu, "Quit QEL")->trigger();
    EXPECT_THAT(chosen, ElementsAre("toggle", "toggle", "device 9", "settings", "quit"));
}

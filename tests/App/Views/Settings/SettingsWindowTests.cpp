#include "App/Views/Settings/SettingsWindow.h"
#include "App/Views/Settings/VocabularyView.h"

#include "App/Views/HotKeyRecorder/HotKeyRecorderView.h"
#include "App/Views/Settings/SettingsView.h"

#include "App/Views/Settings/SettingsFixture.h"
#include "Support/DesktopTest.h"
#include "Support/Screenshot.h"
#include "Support/Waiting.h"

#include <QApplication>
#include <QCheckBox>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include <fstream>

using QEL::SettingsView;
using QEL::SettingsWindow;

namespace {

using SettingsViewTest = SettingsTest;

// On the desktop: the window manager decides what is in front.
class SettingsWindowTest : public TestSupport::DesktopTest, protected SettingsFolder {};

} // namespace

TEST_F(SettingsViewTest, FiveTabsStartingOnGeneralAtTheFixedSize)
{
    SettingsView view(*state, defaults);
    EXPECT_EQ(view.size(), QSize(600, 420));
    ASSERT_EQ(view.count(), 5);
    const QString titles[] = {"General", "Model", "History", "Vocabulary", "Advanced"};
    for (int tab = 0; tab < 5; ++tab) {
        EXPECT_EQ(view.tabText(tab), titles[tab]);
        EXPECT_FALSE(view.tabIcon(tab).isNull());
    }
    EXPECT_EQ(view.currentIndex(), 0);
}

TEST_F(SettingsWindowTest, OpeningAgainBringsTheOneOpenWindowToTheFrontAndClosingEndsIt)
{
    QPointer<SettingsWindow> window = SettingsWindow::showFor(*state, defaults);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return window->isActiveWindow(); }));
    EXPECT_EQ(window->windowTitle(), "QEL Settings");
    EXPECT_EQ(window->size(), SettingsView::fixedSize);
    window->view().setCurrentIndex(1);

    window->showMinimized();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !window->isActiveWindow(); }));
    EXPECT_EQ(SettingsWindow::showFor(*state, defaults), window.data());
    ASSERT_TRUE(TestSupport::waitUntil([&] { return window->isActiveWindow(); }));
    EXPECT_FALSE(window->isMinimized());
    EXPECT_EQ(window->view().currentIndex(), 1); // the same window, as it was left
    int windows = 0;
    for (QWidget* topLevel : QApplication::topLevelWidgets())
        windows += dynamic_cast<SettingsWindow*>(topLevel) != nullptr;
    EXPECT_EQ(windows, 1);

    window->close();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return window.isNull(); }));
    window = SettingsWindow::showFor(*state, defaults);
    EXPECT_EQ(window->view().currentIndex(), 0); // a new window starts on General
    window->close();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return window.isNull(); }));
}

// Pictures of every tab, and of the states a tab can be in, as the window
// shows them, for a person to check that nothing is clipped.
TEST_F(SettingsWindowTest, EveryTabAndItsStatesAtTheWindowsSize)
{
    const std::vector<std::string> words{
        "Tolvek", "RadozodEri", "Kubernetes",
        "Pneumonoultramicroscopicsilicovolcanoconiosis-Supercalifragilisticexpialidocious-Incorporated",
        "the quick brown fox jumps over the lazy dog and then jumps over every other dog in the park"};
    defaults.set(words, "customVocabulary");
    state->setSelectedLanguage("de");
    // No display to type on, no desktop settings to open, no autostart folder.
    std::optional<TestSupport::ScopedEnvironment> noDisplay(std::in_place, "DISPLAY", std::nullopt);
    TestSupport::ScopedEnvironment noDesktop("XDG_CURRENT_DESKTOP", std::nullopt);
    std::ofstream(folder / "autostart") << "";

    QPointer<SettingsWindow> window = SettingsWindow::showFor(*state, defaults);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return window->isActiveWindow(); }));
    const auto screenshot = [&](const std::string& name) { TestSupport::saveScreenshot(name, window->winId()); };
    findNamed<QPushButton>(*window, "Open Settings")->click();
    findNamed<QCheckBox>(*window, "Launch at login")->click();
    noDisplay.reset(); // the screenshots need it; the tab asks again at the next change
    screenshot("General-with-problems");

    std::filesystem::remove(folder / "autostart");
    state->startRecording(); // refused: the state changes
    findNamed<QCheckBox>(*window, "Launch at login")->click();
    screenshot("General");

    for (int tab = 1; tab < window->view().count(); ++tab) {
        window->view().setCurrentIndex(tab);
        screenshot(window->view().tabText(tab).toStdString());
    }
    auto* vocabulary = dynamic_cast<QScrollArea*>(window->view().widget(3));
    window->view().setCurrentIndex(3);
    for (int pass = 0; pass < 5; ++pass) // until the page is laid out at its size
        QCoreApplication::processEvents();
    vocabulary->verticalScrollBar()->setValue(vocabulary->verticalScrollBar()->maximum());
    screenshot("Vocabulary-end");
    for (const std::string& word : words)
        dynamic_cast<QEL::VocabularyView&>(*vocabulary).removeWord(word);
    vocabulary->verticalScrollBar()->setValue(0);
    screenshot("Vocabulary-empty");

    window->view().setCurrentIndex(0);
    findNamed<QEL::HotKeyRecorderView>(*window, "Hotkey")->findChild<QAbstractButton*>()->click();
    screenshot("General-recording");

    state->setTranscriptHistory({
        *QEL::SavedTranscript::dictation("Send the draft to the team by Friday.", Platform::Date::now()),
        *QEL::SavedTranscript::dictation("Call the dentist on Monday morning.", Platform::Date{0}),
    });
    window->view().setCurrentIndex(2);
    auto* transcripts = findNamed<QListView>(*window, "Transcripts");
    transcripts->selectionModel()->select(transcripts->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
    screenshot("History-selected");

    window->close();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return window.isNull(); }));
}

#include "App/Views/Settings/GeneralSettingsTab.h"

#include "App/Views/HotKeyRecorder/HotKeyRecorderView.h"
#include "Platform/Desktop/AutostartEntry.h"

#include "App/Views/Settings/SettingsFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>

#include <fstream>

using QEL::GeneralSettingsTab;
using QEL::InsertionMode;

namespace {

using GeneralSettingsTabTest = SettingsTest;

} // namespace

TEST_F(GeneralSettingsTabTest, ControlsShowTheStoredSettingsAndWriteEachToTheSettingsFile)
{
    state->setInsertionMode(InsertionMode::keystroke);
    state->setRemoveFillers(false);
    GeneralSettingsTab tab(*state, defaults);

    auto* method = findNamed<QComboBox>(tab, "Text Insertion Method");
    auto* fillers = findNamed<QCheckBox>(tab, "Remove filler words (um, uh, like)");
    auto* commands = findNamed<QCheckBox>(tab, "Enable voice commands");
    auto* launch = findNamed<QCheckBox>(tab, "Launch at login");
    ASSERT_TRUE(method && fillers && commands && launch);
    ASSERT_EQ(method->count(), 2);
    EXPECT_EQ(method->itemText(0), "Clipboard Paste (Fast)");
    EXPECT_EQ(method->itemText(1), "Keystroke Simulation");
    EXPECT_EQ(method->currentText(), "Keystroke Simulation");
    EXPECT_FALSE(fillers->isChecked());
    EXPECT_TRUE(commands->isChecked());
    EXPECT_FALSE(launch->isChecked());

    method->setCurrentIndex(0);
    fillers->click();
    commands->click();
    EXPECT_EQ(storedValue<std::string>("insertionMode"), "paste");
    EXPECT_EQ(storedValue<bool>("removeFillers"), true);
    EXPECT_EQ(storedValue<bool>("enableCommands"), false);

    // Launching at login is the setting and the session's autostart entry.
    const std::filesystem::path entry = folder / "autostart/qel.desktop";
    launch->click();
    EXPECT_EQ(storedValue<bool>("launchAtLogin"), true);
    EXPECT_NE(TestSupport::fileContents(entry).find("Exec=\"" + QCoreApplication::applicationFilePath().toStdString() +
                                                    "\"\n"),
              std::string::npos);
    launch->click();
    EXPECT_EQ(storedValue<bool>("launchAtLogin"), false);
    EXPECT_FALSE(std::filesystem::exists(entry));

    // A change made elsewhere shows at once.
    state->setEnableCommands(true);
    EXPECT_TRUE(commands->isChecked());
    defaults.set(true, "launchAtLogin");
    GeneralSettingsTab reopened(*state, defaults);
    EXPECT_TRUE(findNamed<QCheckBox>(reopened, "Launch at login")->isChecked());
}

TEST_F(GeneralSettingsTabTest, AnAutostartEntryThatCannotBeWrittenLeavesTheToggleAndTheSettingAsTheyWere)
{
    std::ofstream(folder / "autostart") << "a file where the autostart folder belongs";
    GeneralSettingsTab tab(*state, defaults);
    auto* launch = findNamed<QCheckBox>(tab, "Launch at login");
    ASSERT_TRUE(launch);

    launch->click();
    EXPECT_FALSE(launch->isChecked());
    EXPECT_EQ(storedValue<bool>("launchAtLogin"), std::nullopt);
    bool explained = false;
    for (const QLabel* label : tab.findChildren<QLabel*>())
        explained |= label->text().startsWith("QEL cannot be set to launch at login: ") && shows(tab, label);
    EXPECT_TRUE(explained);
}

TEST_F(GeneralSettingsTabTest, TheHotKeyRowShowsTheLiveBinding)
{
    GeneralSettingsTab tab(*state, defaults);
    EXPECT_TRUE(showsText(tab, "Hotkey"));
    auto* recorder = findNamed<QEL::HotKeyRecorderView>(tab, "Hotkey");
    ASSERT_TRUE(recorder);
    const QAbstractButton& face = *recorder->findChild<QAbstractButton*>();
    EXPECT_EQ(face.text(), "⌥⇧Space");

    QEL::GlobalHotKeyManager& hotKeys = state->hotKeyManager();
    hotKeys.setCurrentKey(HotKey::Key::k);
    hotKeys.setCurrentModifiers(HotKey::ModifierFlags::shift | HotKey::ModifierFlags::command);
    EXPECT_EQ(face.text(), "⇧⌘K");
}

// Trust is whether the X server takes synthetic key presses, asked afresh each
// time the application state changes.
TEST_F(GeneralSettingsTabTest, AccessibilityRowFollowsWhetherTheDisplayTakesSyntheticKeys)
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "needs the headless desktop's X server";
    const std::string realDisplay = display;

    std::optional<TestSupport::ScopedEnvironment> noDisplay;
    noDisplay.emplace("DISPLAY", std::nullopt);
    TestSupport::ScopedEnvironment noDesktop("XDG_CURRENT_DESKTOP", std::nullopt);
    GeneralSettingsTab tab(*state, defaults);
    auto* openSettings = findNamed<QPushButton>(tab, "Open Settings");
    ASSERT_TRUE(openSettings);
    EXPECT_TRUE(showsText(tab, "Accessibility access required"));
    EXPECT_TRUE(shows(tab, openSettings));

    // Without a desktop settings page, a note says what typing needs instead.
    const auto noteShows = [&] {
        for (const QLabel* label : tab.findChildren<QLabel*>())
            if (label->text().contains("needs no permission") && shows(tab, label))
                return true;
        return false;
    };
    EXPECT_FALSE(noteShows());
    openSettings->click();
    EXPECT_TRUE(noteShows());

    noDisplay.reset();
    EXPECT_TRUE(showsText(tab, "Accessibility access required")); // not asked again yet
    state->startRecording(); // refused before any model has loaded: the state changes
    EXPECT_TRUE(showsText(tab, "Accessibility access granted"));
    EXPECT_FALSE(shows(tab, openSettings));
    EXPECT_FALSE(noteShows());
}

#include "App/Views/MenuBar/MenuBarScene.h"
#include "App/Audio/AudioDeviceManager.h"
#include "App/Views/MenuBar/MenuInfoLine.h"

#include "App/Views/TestAppState.h"
#include "HotKey/KeyCombo.h"
#include "Platform/Input/CarbonModifiers.h"

#include <QWidgetAction>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using QEL::SavedTranscript;
using testing::ElementsAre;

namespace {

SavedTranscript saved(const std::string& id, double date)
{
    return {.id = id, .title = id, .text = "text " + id, .date = Platform::Date(date), .wordCount = 2};
}

std::vector<std::string> infoLines(const QMenu& menu)
{
    std::vector<std::string> lines;
    for (QAction* action : menu.actions()) {
        if (auto* holder = qobject_cast<QWidgetAction*>(action))
            if (auto* line = qobject_cast<QEL::MenuInfoLine*>(holder->defaultWidget()))
                lines.push_back(line->text().toStdString());
    }
    return lines;
}

} // namespace

TEST(MenuBarScene, TheMenuFollowsTheStateAndTheIconTheRecordingFlag)
{
    // No sound server: no microphone.
    TestSupport::ScopedEnvironment noSoundServer{"PULSE_SERVER", "unix:/nonexistent"};
    TestAppState state({saved("A", 100), saved("B", 500), saved("C", 300), saved("D", 400), saved("E", 200)});
    QEL::AudioDeviceManager devices;
    QEL::MenuBarScene scene(*state, devices);
    EXPECT_FALSE(scene.trayIcon().icon().isNull());
    EXPECT_EQ(scene.trayIcon().toolTip(), "QEL");
    EXPECT_EQ(scene.trayIcon().contextMenu(), &scene.menu());

    // The three newest saved transcripts.
    std::vector<std::string> recent;
    for (const auto& transcript : scene.menu().content().recentTranscripts)
        recent.push_back(transcript.text);
    EXPECT_THAT(recent, ElementsAre("text B", "text D", "text C"));

    EXPECT_THAT(infoLines(scene.menu()), ElementsAre("Microphone", "No microphone found", "Recent"));
    state->startRecording(); // before any load
    EXPECT_THAT(infoLines(scene.menu()),
                ElementsAre("Microphone", "No microphone found", "Model still loading, please wait...", "Recent"));
}

// The hot-key library finds the tray's menu as the application's own.
TEST(MenuBarScene, TheTrayMenuIsTheApplicationsMenu)
{
    TestSupport::ScopedEnvironment noSoundServer{"PULSE_SERVER", "unix:/nonexistent"};
    TestAppState state;
    QEL::AudioDeviceManager devices;
    EXPECT_THAT(HotKey::KeyCombo::mainMenuKeyCombos(), ElementsAre());
    {
        QEL::MenuBarScene scene(*state, devices);
        using HotKey::Key;
        constexpr std::uint32_t control = Platform::CarbonModifier::control;
        constexpr std::uint32_t shift = Platform::CarbonModifier::shift;
        EXPECT_THAT(HotKey::KeyCombo::mainMenuKeyCombos(),
                    ElementsAre(HotKey::KeyCombo(Key::d, HotKey::modifierFlagsFromCarbonFlags(control | shift)),
                                HotKey::KeyCombo(Key::comma, HotKey::modifierFlagsFromCarbonFlags(control)),
                                HotKey::KeyCombo(Key::q, HotKey::modifierFlagsFromCarbonFlags(control))));
    }
    EXPECT_THAT(HotKey::KeyCombo::mainMenuKeyCombos(), ElementsAre());
}

// The tray icon and its menu in a real tray host, chosen with the pointer.

// ThreadSanitizer: left out, because the pointer is moved by programs that
// QProcess starts through a clone sharing the test's memory, which the
// detector takes for a fork (scripts/test). Here it then reports the
// dictation chain's construction as racing with the session waiter that
// received the chain through a mutex; the application state's own tests run
// that chain under the detector.

#include "App/Views/MenuBar/MenuBarScene.h"
#include "App/Audio/AudioDeviceManager.h"

#include "App/Doubles/ScriptedQelCoreLibrary.h"
#include "App/Views/TestAppState.h"
#include "Support/DesktopTest.h"
#include "Support/Keyboard.h"
#include "Support/Screenshot.h"
#include "Support/Waiting.h"
#include "tools/RandomGgmlModel/RandomGgmlModel.h"

#include "App/AppIdentity.h"

#include <QCoreApplication>
#include <QProcess>

#include <fstream>

#include <X11/keysym.h>

#include <gtest/gtest.h>

namespace {

class MenuBarOnDesktop : public TestSupport::DesktopTest {
protected:
    void TearDown() override
    {
        // The pipe microphone stays the default source for other tests.
        QProcess::execute("pactl", {"set-default-source", "fifo_mic"});
        // What the state's threads queued for the main thread may hold the
        // engine, which must go while its scripted library is still there.
        state.state.reset();
        QCoreApplication::processEvents();
        DesktopTest::TearDown();
    }

    static void clickAt(QPoint point, int button = 1)
    {
        ASSERT_EQ(QProcess::execute("xdotool", {"mousemove", QString::number(point.x()), QString::number(point.y()),
                                                "click", QString::number(button)}),
                  0);
    }

    // Opens the menu as a user does, with a click on the tray icon. The tray
    // host may still be moving an icon that a previous test's icon left room
    // for, so a click that finds none is tried again where the icon is now.
    void openMenu()
    {
        ASSERT_TRUE(TestSupport::waitUntil([&] { return !scene.trayIcon().geometry().isEmpty(); }));
        for (int attempt = 0; attempt < 5 && !scene.menu().isVisible(); ++attempt) {
            clickAt(scene.trayIcon().geometry().center());
            TestSupport::waitUntil([&] { return scene.menu().isVisible(); }, std::chrono::seconds(2));
        }
        ASSERT_TRUE(scene.menu().isVisible());
    }

    QAction* entry(const QString& text)
    {
        for (QAction* action : scene.menu().actions())
            if (action->text() == text)
                return action;
        return nullptr;
    }

    void choose(QAction* action)
    {
        ASSERT_NE(action, nullptr);
        QMenu& menu = scene.menu();
        clickAt(menu.mapToGlobal(menu.actionGeometry(action).center()));
        ASSERT_TRUE(TestSupport::waitUntil([&] { return !menu.isVisible(); }));
    }

    ScriptedQelCore engine;
    TestAppState state{{}, ScriptedQelCore::library()};
    QEL::AudioDeviceManager devices;
    QEL::MenuBarScene scene{*state, devices};
};

} // namespace

TEST_F(MenuBarOnDesktop, TheIconSitsInTheTrayAndAClickOpensTheMenu)
{
    const auto tray = TestSupport::waitForWindow("panel");
    ASSERT_TRUE(tray);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !scene.trayIcon().geometry().isEmpty(); }));
    TestSupport::saveScreenshot("icon in the tray", *tray);

    openMenu();
    // Wait for the microphones to be listed, so the picture shows them.
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !scene.menu().content().devices.empty(); }));
    TestSupport::saveScreenshot("open tray menu", scene.menu().winId());
    TestSupport::pressKeys({XK_Escape});
    EXPECT_TRUE(TestSupport::waitUntil([&] { return !scene.menu().isVisible(); }));
}

TEST_F(MenuBarOnDesktop, ChoosingStartAndStopTogglesRecording)
{
    const auto models = state.folder.path() / QEL::AppIdentity::modelsFolder;
    std::filesystem::create_directories(models);
    const auto model = QelTools::randomGgmlModel({.seed = 3, .vocab = 51864, .ftype = 1, .width = 8, .heads = 2,
                                                  .layers = 1, .mels = 4, .audioCtx = 4, .textCtx = 8});
    std::ofstream(models / "ggml-small.en.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(model.data()), std::streamsize(model.size()));
    bool loaded = false;
    state->loadEngine([&] { loaded = true; });
    ASSERT_TRUE(TestSupport::waitUntil([&] { return loaded; }));
    ASSERT_TRUE(state->isModelLoaded()) << state->errorMessage().value_or("");

    openMenu();
    choose(entry("Start Dictation"));
    EXPECT_TRUE(TestSupport::waitUntil([&] { return state->isRecording(); })) << state->errorMessage().value_or("");
    EXPECT_TRUE(TestSupport::waitUntil([&] { return entry("Stop Dictation") != nullptr; }));

    openMenu();
    choose(entry("Stop Dictation"));
    EXPECT_TRUE(TestSupport::waitUntil([&] { return !state->isRecording(); }));
    EXPECT_NE(entry("Start Dictation"), nullptr);
}

TEST_F(MenuBarOnDesktop, ChoosingAMicrophoneMakesItTheSoundServersDefault)
{
    ASSERT_TRUE(TestSupport::waitUntil([&] { return devices.availableDevices().size() >= 2; }));
    const auto& listed = devices.availableDevices();
    const auto other = std::find_if(listed.begin(), listed.end(), [](const auto& device) { return !device.isDefault; });
    ASSERT_NE(other, listed.end());
    const std::uint32_t chosen = other->id;
    const QString title = QString::fromStdString(other->name);

    openMenu();
    choose(entry(title));
    // The server reports its new default, and the menu marks it.
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        const auto& content = scene.menu().content();
        return content.selectedDevice == chosen &&
               std::any_of(content.devices.begin(), content.devices.end(),
                           [&](const auto& device) { return device.id == chosen && device.isDefault; });
    }));
    EXPECT_NE(entry(title + " (Default)"), nullptr);
    EXPECT_FALSE(entry(title + " (Default)")->icon().isNull());
}

TEST_F(MenuBarOnDesktop, EveryKindOfEntryAsShown)
{
    QEL::MenuBarContent loading{
        .isRecording = true,
        .isLoadingModel = true,
        .modelLoadPhase = "Downloading model",
        .modelDownloadProgress = 0.426,
        .currentTranscript = "Send the quarterly report to Dana by Friday, and copy the finance team on it. Also "
                             "remind her about the offsite agenda, which is still missing two sessions.",
        .transcriptionCount = 3,
        .lastLatencyMs = 245.9,
        .devices = {{.id = 1, .name = "Built-in Microphone", .isDefault = true}, {.id = 2, .name = "USB Headset"}},
        .selectedDevice = 2,
        .recentTranscripts = {{.id = "A", .text = "Send the quarterly report to Dana by Friday, and copy the team"},
                              {.id = "B", .text = "Short note"},
                              {.id = "C", .text = "Tom & Jerry's notes"}},
    };
    QEL::MenuBarContent failed{
        .errorMessage = "Failed to load model: qel_engine_new failed: the cached model file is damaged, so it was "
                        "moved aside and the next load downloads the model again",
    };
    QEL::MenuBarContent ready{.isModelLoaded = true, .devices = loading.devices, .selectedDevice = 1};
    for (const auto& [name, content] : {std::pair{"loading", loading}, {"error", failed}, {"ready", ready}}) {
        QEL::MenuBarMenu menu;
        menu.setContent(content);
        menu.popup(QPoint(100, 60));
        ASSERT_TRUE(TestSupport::waitUntil([&] { return menu.isVisible(); }));
        TestSupport::saveScreenshot(name, menu.winId());
        menu.hide();
    }
}

#include "App/Views/HotKeyRecorder/HotKeyRecorderView.h"

#include "App/Doubles/DebugLogFile.h"
#include "App/HotKey/GlobalHotKeyManager.h"
#include "HotKey/HotKeysController.h"
#include "Platform/Desktop/X11Connection.h"

#include "Support/DesktopTest.h"
#include "Support/Keyboard.h"
#include "Support/Screenshot.h"
#include "Support/TestEnvironment.h"
#include "Support/Waiting.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <X11/keysym.h>
#include <gtest/gtest.h>

using HotKey::Key;
using HotKey::KeyCombo;
using HotKey::ModifierFlags;
using QEL::GlobalHotKeyManager;
using QEL::HotKeyRecorderView;

namespace {

// A window holding the recorder beside a text field that has the keyboard
// focus, over a hot-key manager with settings of its own whose binding is
// registered; presses of the hot key are counted.
class HotKeyRecorderTest : public TestSupport::DesktopTest {
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        manager.onToggle = [this] { ++toggles; };
        ASSERT_EQ(manager.applyBinding(), std::nullopt);

        auto* layout = new QVBoxLayout(&window);
        field = new QLineEdit;
        recorder = new HotKeyRecorderView(manager);
        layout->addWidget(field);
        layout->addWidget(recorder);
        window.resize(320, 140);
        window.show();
        window.activateWindow();
        field->setFocus();
        ASSERT_TRUE(TestSupport::waitUntil([&] { return window.isActiveWindow() && field->hasFocus(); }));
    }

    void TearDown() override
    {
        // A recorder that still records registers the binding again as it
        // goes; the desktop must be left without it for the next test.
        window.close();
        manager.setHotKey(nullptr);
        DesktopTest::TearDown();
    }

    QAbstractButton& button() const { return *recorder->findChild<QAbstractButton*>(); }

    // What the recorder shows below its button, when anything.
    QString refusal() const
    {
        const auto* label = recorder->findChild<QLabel*>();
        return label->isVisibleTo(recorder) ? label->text() : QString();
    }

    void startRecording()
    {
        ASSERT_FALSE(recorder->isRecording());
        button().click();
        ASSERT_TRUE(recorder->isRecording());
        ASSERT_EQ(button().text(), "Press a key combo...");
        ASSERT_EQ(manager.hotKey(), nullptr);
    }

    // Presses the keys and waits until the recorder has taken them.
    void record(std::initializer_list<xcb_keysym_t> keys)
    {
        TestSupport::pressKeys(keys);
        ASSERT_TRUE(TestSupport::waitUntil([&] { return !recorder->isRecording(); }));
    }

    // Presses the keys and lets them arrive, whatever takes them.
    static void pressAndSettle(std::initializer_list<xcb_keysym_t> keys)
    {
        TestSupport::pressKeys(keys);
        Platform::X11Connection::shared().sync();
        QApplication::processEvents();
        TestSupport::waitUntil([] { return false; }, std::chrono::milliseconds(300));
    }

    std::optional<std::int64_t> stored(const char* key) const
    {
        Platform::UserDefaults reread(defaults.filePath());
        return reread.object(key) ? std::optional(reread.integer(key)) : std::nullopt;
    }

    QEL::Testing::DebugLogFile log;
    TestSupport::TemporaryFolder folder;
    Platform::UserDefaults defaults{folder / "QEL.json"};
    GlobalHotKeyManager manager{defaults};
    int toggles = 0;
    QWidget window;
    QLineEdit* field = nullptr;
    HotKeyRecorderView* recorder = nullptr;
};

} // namespace

TEST_F(HotKeyRecorderTest, ARecordedCombinationIsStoredRegisteredAndShown)
{
    EXPECT_EQ(button().text(), "\u2325\u21E7Space");
    TestSupport::saveScreenshot("idle", static_cast<xcb_window_t>(window.winId()));

    // Command is the Super key; a lock state is not part of what is stored.
    const struct {
        std::initializer_list<xcb_keysym_t> keys;
        bool capsLock;
        Key key;
        std::uint64_t modifiers;
        std::uint32_t mask;
        const char* shown;
    } cases[] = {
        {{XK_Control_L, XK_Shift_L, XK_k}, false, Key::k, 0x60000, 0x1200, "\u2303\u21E7K"},
        {{XK_Super_L, XK_Shift_L, XK_k}, false, Key::k, 1179648, 0x300, "\u21E7\u2318K"},
        {{XK_Control_L, XK_Alt_L, XK_t}, true, Key::t, 0xC0000, 0x1800, "\u2303\u2325T"},
        {{XK_Alt_L, XK_F5}, false, Key::f5, 0x80000, 0x800, "\u2325?"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.shown);
        startRecording();
        if (&test == &cases[0])
            TestSupport::saveScreenshot("recording", static_cast<xcb_window_t>(window.winId()));
        if (test.capsLock)
            pressAndSettle({XK_Caps_Lock});
        record(test.keys);
        if (test.capsLock)
            pressAndSettle({XK_Caps_Lock});

        EXPECT_EQ(stored("hotkeyKeyCode"), HotKey::carbonKeyCode(test.key));
        EXPECT_EQ(stored("hotkeyModifiers"), std::int64_t(test.modifiers));
        ASSERT_NE(manager.hotKey(), nullptr);
        EXPECT_EQ(manager.hotKey()->keyCombo(), KeyCombo(HotKey::carbonKeyCode(test.key), test.mask));
        EXPECT_EQ(button().text(), test.shown);
        EXPECT_EQ(refusal(), "");
    }
    EXPECT_TRUE(field->text().isEmpty());

    // What was recorded is what fires.
    TestSupport::pressKeys({XK_Alt_L, XK_F5});
    EXPECT_TRUE(TestSupport::waitUntil([&] { return toggles == 1; }));
}

TEST_F(HotKeyRecorderTest, KeysWithoutAModifierGoToTheWindowAndRecordingGoesOn)
{
    startRecording();
    pressAndSettle({XK_k});
    pressAndSettle({XK_Control_L});
    pressAndSettle({XK_Shift_L});
    EXPECT_EQ(field->text(), "k");
    EXPECT_TRUE(recorder->isRecording());
    EXPECT_EQ(button().text(), "Press a key combo...");
    EXPECT_EQ(refusal(), "");
    EXPECT_FALSE(defaults.object("hotkeyKeyCode"));
}

TEST_F(HotKeyRecorderTest, TheCurrentCombinationIsRecordedInsteadOfTogglingDictation)
{
    startRecording();
    record({XK_Alt_L, XK_Shift_L, XK_space});
    EXPECT_EQ(toggles, 0);
    EXPECT_EQ(stored("hotkeyKeyCode"), 49);
    EXPECT_EQ(stored("hotkeyModifiers"), 0xA0000);
    EXPECT_EQ(button().text(), "\u2325\u21E7Space");
    TestSupport::pressKeys({XK_Alt_L, XK_Shift_L, XK_space});
    EXPECT_TRUE(TestSupport::waitUntil([&] { return toggles == 1; }));
}

TEST_F(HotKeyRecorderTest, CancellingOrClosingTheWindowRegistersTheStoredBindingAgain)
{
    defaults.set(std::int64_t(HotKey::carbonKeyCode(Key::r)), "hotkeyKeyCode");
    defaults.set(std::int64_t((ModifierFlags::control | ModifierFlags::option).rawValue), "hotkeyModifiers");
    manager.loadSavedBinding();
    ASSERT_EQ(manager.applyBinding(), std::nullopt);
    const KeyCombo stored(HotKey::carbonKeyCode(Key::r), 0x1800);

    startRecording();
    button().click();
    EXPECT_FALSE(recorder->isRecording());
    ASSERT_NE(manager.hotKey(), nullptr);
    EXPECT_EQ(manager.hotKey()->keyCombo(), stored);
    EXPECT_EQ(button().text(), "\u2303\u2325R");

    // Closing the window mid-recording leaves the application with its hot key.
    startRecording();
    window.close();
    EXPECT_FALSE(recorder->isRecording());
    ASSERT_NE(manager.hotKey(), nullptr);
    EXPECT_EQ(manager.hotKey()->keyCombo(), stored);
    TestSupport::pressKeys({XK_Control_L, XK_Alt_L, XK_r});
    EXPECT_TRUE(TestSupport::waitUntil([&] { return toggles == 1; }));
}

TEST_F(HotKeyRecorderTest, DestroyingTheRecorderWhileRecordingRegistersTheStoredBindingAgain)
{
    startRecording();
    delete recorder;
    ASSERT_NE(manager.hotKey(), nullptr);
    EXPECT_EQ(manager.hotKey()->keyCombo(), KeyCombo(49, 0xA00));
}

TEST_F(HotKeyRecorderTest, ACombinationThatCannotBeRegisteredIsReportedAndTheWorkingOneStays)
{
    // Another program holds Control+Alt+T with Caps Lock on only, so the
    // press without it still reaches the recorder.
    Platform::X11Connection rival;
    const xcb_keycode_t t = rival.keyboardMapping().find(XK_t)->keycode;
    ASSERT_EQ(rival.check(xcb_grab_key_checked(rival.raw(), 1, rival.root(),
                                               XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_LOCK, t,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)),
              std::nullopt);

    startRecording();
    record({XK_Control_L, XK_Alt_L, XK_t});
    EXPECT_EQ(refusal(), "Cannot register the hot key \u2303\u2325T: another application has taken this "
                         "combination already");
    EXPECT_EQ(button().text(), "\u2325\u21E7Space");
    EXPECT_EQ(stored("hotkeyKeyCode"), 49);
    EXPECT_EQ(stored("hotkeyModifiers"), 0xA0000);
    ASSERT_NE(manager.hotKey(), nullptr);
    EXPECT_EQ(manager.hotKey()->keyCombo(), KeyCombo(49, 0xA00));
    TestSupport::saveScreenshot("refused", static_cast<xcb_window_t>(window.winId()));

    // The next recording starts without the old message.
    startRecording();
    EXPECT_EQ(refusal(), "");
}

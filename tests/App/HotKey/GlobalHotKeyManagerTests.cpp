#include "App/HotKey/GlobalHotKeyManager.h"

#include "App/Doubles/DebugLogFile.h"
#include "HotKey/HotKeysController.h"
#include "Platform/Desktop/X11Connection.h"

#include "Support/CoreApplication.h"
#include "Support/DesktopTest.h"
#include "Support/Keyboard.h"
#include "Support/TestEnvironment.h"
#include "Support/Waiting.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <algorithm>

using HotKey::HotKeysController;
using HotKey::Key;
using HotKey::ModifierFlags;
using QEL::GlobalHotKeyManager;

namespace {

// A manager on settings and a debug log of its own; on the desktop, also with
// the keyboard to itself.
template <class Base>
class ManagerFixture : public Base {
protected:
    void SetUp() override
    {
        Base::SetUp();
        TestSupport::ensureCoreApplication();
    }
    void TearDown() override
    {
        manager.setHotKey(nullptr);
        Base::TearDown();
    }

    // Presses Alt+Shift+Space and waits until the press has been handled.
    void pressOptionShiftSpace()
    {
        auto fired = [&] { return std::ranges::count(log.messages(), "HOTKEY FIRED!"); };
        const long before = fired();
        TestSupport::pressKeys({XK_Alt_L, XK_Shift_L, XK_space});
        ASSERT_TRUE(TestSupport::waitUntil([&] { return fired() > before; }));
    }

    QEL::Testing::DebugLogFile log;
    TestSupport::TemporaryFolder folder;
    Platform::UserDefaults defaults{folder / "QEL.json"};
    GlobalHotKeyManager manager{defaults};
};

using GlobalHotKeyManagerTest = ManagerFixture<testing::Test>;
using GlobalHotKeyManagerOnDesktop = ManagerFixture<TestSupport::DesktopTest>;

} // namespace

TEST_F(GlobalHotKeyManagerTest, LoadsTheStoredBindingFieldByField)
{
    using Value = std::optional<Platform::DefaultsValue>;
    const struct {
        Value keyCode;
        Value modifiers;
        Key key;
        std::uint64_t modifiersRaw;
        std::string shown;
    } cases[] = {
        // Before each load the binding is K with Control.
        {std::nullopt, std::nullopt, Key::k, 0x40000, "\u2303K"},
        {std::int64_t(0), std::int64_t(1310720), Key::a, 0x140000, "\u2303\u2318A"},
        {std::int64_t(49), std::int64_t(0xA0000), Key::space, 0xA0000, "\u2325\u21E7Space"},
        {std::int64_t(52), std::nullopt, Key::space, 0x40000, "\u2303Space"}, // a code no key has
        {std::string("49"), std::string("655360"), Key::k, 0x40000, "\u2303K"},
        {14.0, 1310720.0, Key::e, 0x140000, "\u2303\u2318E"},
        {48.5, 1.5, Key::k, 0x40000, "\u2303K"},
        {std::int64_t(-1), std::int64_t(-1), Key::k, 0x40000, "\u2303K"},
        {std::int64_t(4294967296 + 49), true, Key::k, 0x40000, "\u2303K"},
        {std::int64_t(53), std::int64_t(0x1A0100), Key::escape, 0x1A0100, "\u2325\u21E7\u2318Esc"}, // all bits kept
    };
    for (const auto& test : cases) {
        manager.setCurrentKey(Key::k);
        manager.setCurrentModifiers(ModifierFlags::control);
        for (const auto& [key, value] :
             {std::pair{"hotkeyKeyCode", test.keyCode}, {"hotkeyModifiers", test.modifiers}}) {
            if (value)
                defaults.set(*value, key);
            else
                defaults.removeObject(key);
        }
        manager.loadSavedBinding();
        EXPECT_EQ(manager.currentKey(), test.key) << test.shown;
        EXPECT_EQ(manager.currentModifiers().rawValue, test.modifiersRaw) << test.shown;
        EXPECT_EQ(manager.modifierString() + manager.keyString(), test.shown);
    }
}

TEST_F(GlobalHotKeyManagerTest, KeyStringNamesFourKeysAndTheLetters)
{
    const std::pair<Key, std::string> cases[] = {
        {Key::space, "Space"},   {Key::tab, "Tab"}, {Key::returnKey, "Return"},
        {Key::escape, "Esc"},    {Key::a, "A"},     {Key::z, "Z"},
        {Key::one, "?"},         {Key::comma, "?"}, {Key::f1, "?"},
        {Key::keypadEnter, "?"},
    };
    for (const auto& [key, shown] : cases) {
        manager.setCurrentKey(key);
        EXPECT_EQ(manager.keyString(), shown);
    }
}

TEST_F(GlobalHotKeyManagerTest, SavedBindingIsReadBackAndChangesAreSignalled)
{
    EXPECT_EQ(manager.modifierString() + manager.keyString(), "\u2325\u21E7Space");
    int changes = 0;
    QObject::connect(&manager, &GlobalHotKeyManager::bindingChanged, [&] { ++changes; });
    manager.setCurrentKey(Key::k);
    manager.setCurrentModifiers(ModifierFlags::command | ModifierFlags::shift);
    manager.setCurrentKey(Key::k);
    EXPECT_EQ(changes, 2);
    manager.saveBinding();

    Platform::UserDefaults reopened(defaults.filePath());
    EXPECT_EQ(reopened.integer("hotkeyKeyCode"), 40);
    EXPECT_EQ(reopened.integer("hotkeyModifiers"), 1179648);
    GlobalHotKeyManager restarted(reopened);
    restarted.loadSavedBinding();
    EXPECT_EQ(restarted.currentKey(), Key::k);
    EXPECT_EQ(restarted.currentModifiers(), ModifierFlags::command | ModifierFlags::shift);
}

TEST_F(GlobalHotKeyManagerTest, WithoutADisplayApplyingFailsClearlyAndNothingIsRegistered)
{
    TestSupport::ScopedEnvironment noDisplay("DISPLAY", std::nullopt);
    const std::string refusal = "Cannot register the hot key \u2325\u21E7\u2423: No X display: DISPLAY is not set";
    EXPECT_EQ(manager.applyBinding(), refusal);
    EXPECT_EQ(manager.hotKey(), nullptr);
    EXPECT_EQ(log.messages(), std::vector<std::string>{"HotKey registration failed: " + refusal});
}

TEST_F(GlobalHotKeyManagerOnDesktop, EachPressTogglesOnceAndReapplyingKeepsOneHotKey)
{
    int toggles = 0;
    manager.onToggle = [&] { ++toggles; };
    ASSERT_EQ(manager.applyBinding(), std::nullopt);
    const std::uint32_t firstID = HotKeysController::hotKeysCount();
    EXPECT_EQ(manager.hotKey()->keyCombo(), HotKey::KeyCombo(49, 0xA00));
    pressOptionShiftSpace();
    EXPECT_EQ(toggles, 1);

    ASSERT_EQ(manager.applyBinding(), std::nullopt);
    ASSERT_EQ(HotKeysController::hotKeys().size(), 1u);
    EXPECT_EQ(HotKeysController::hotKeys().begin()->first, firstID + 1);
    pressOptionShiftSpace();
    EXPECT_EQ(toggles, 2);

    manager.onToggle = nullptr;
    pressOptionShiftSpace();
    EXPECT_EQ(toggles, 2);
    EXPECT_EQ(log.messages(),
              (std::vector<std::string>{"HotKey registered: \u2325\u21E7Space", "HOTKEY FIRED!",
                                        "HotKey registered: \u2325\u21E7Space", "HOTKEY FIRED!", "HOTKEY FIRED!"}));

    manager.setHotKey(nullptr);
    EXPECT_TRUE(HotKeysController::hotKeys().empty());
}

TEST_F(GlobalHotKeyManagerOnDesktop, ARefusedBindingIsReportedAndTheWorkingOneStaysRegistered)
{
    Platform::X11Connection rival;
    const xcb_keycode_t t = rival.keyboardMapping().find(XK_t)->keycode;
    for (std::uint16_t locks : {0, int(XCB_MOD_MASK_LOCK)})
        ASSERT_EQ(rival.check(xcb_grab_key_checked(rival.raw(), 1, rival.root(),
                                                   XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | locks, t,
                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)),
                  std::nullopt);
    int toggles = 0;
    manager.onToggle = [&] { ++toggles; };
    ASSERT_EQ(manager.applyBinding(), std::nullopt);

    // As the recorder does it: release the hot key, then bind the new combination.
    manager.setHotKey(nullptr);
    manager.setCurrentKey(Key::t);
    manager.setCurrentModifiers(ModifierFlags::control | ModifierFlags::option);
    const std::string refusal =
        "Cannot register the hot key \u2303\u2325T: another application has taken this combination already";
    EXPECT_EQ(manager.applyBinding(), refusal);

    EXPECT_EQ(manager.currentKey(), Key::space);
    EXPECT_EQ(manager.currentModifiers(), ModifierFlags::option | ModifierFlags::shift);
    ASSERT_NE(manager.hotKey(), nullptr);
    pressOptionShiftSpace();
    EXPECT_EQ(toggles, 1);
    EXPECT_EQ(log.messages(), (std::vector<std::string>{"HotKey registered: \u2325\u21E7Space",
                                                        "HotKey registration failed: " + refusal,
                                                        "HotKey registered: \u2325\u21E7Space", "HOTKEY FIRED!"}));
}

#include "HotKey/HotKey.h"
#include "HotKey/HotKeysController.h"

#include "Platform/Desktop/X11Connection.h"

#include "Support/CoreApplication.h"
#include "Support/DesktopTest.h"
#include "Support/Keyboard.h"
#include "Support/TestEnvironment.h"
#include "Support/Waiting.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

using HotKey::HotKeysController;
using HotKey::Key;
using HotKey::KeyCombo;
using HotKey::ModifierFlags;
using Platform::HotKeyEvent;

namespace {

const ModifierFlags optionShift = ModifierFlags::option | ModifierFlags::shift;
const std::uint32_t signature = HotKeysController::eventHotKeySignature;

// The id under which `hotKey` is registered; 0 when it is not.
std::uint32_t idOf(const HotKey::HotKey& hotKey)
{
    for (const auto& [id, box] : HotKeysController::hotKeys()) {
        if (box.identifier == hotKey.identifier())
            return id;
    }
    return 0;
}

struct Calls {
    int presses = 0;
    int releases = 0;
};

std::unique_ptr<HotKey::HotKey> countingHotKey(Calls& calls, Key key = Key::space, ModifierFlags flags = optionShift)
{
    return std::make_unique<HotKey::HotKey>(
        key, flags, [&calls] { ++calls.presses; }, [&calls] { ++calls.releases; });
}

// Turns lock keys on for the scope, and off again after it.
class LocksOn {
public:
    explicit LocksOn(std::vector<xcb_keysym_t> locks) : locks_(std::move(locks)) { toggle(); }
    ~LocksOn() { toggle(); }

private:
    void toggle()
    {
        for (xcb_keysym_t lock : locks_)
            TestSupport::pressKeys({lock});
    }
    std::vector<xcb_keysym_t> locks_;
};

class HotKeyOnDesktop : public TestSupport::DesktopTest {
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        TestSupport::ensureCoreApplication();
    }

    // Presses Alt+Shift+Space and waits for its release to be handled.
    static void pressOptionShiftSpace(const Calls& calls)
    {
        const int releases = calls.releases;
        TestSupport::pressKeys({XK_Alt_L, XK_Shift_L, XK_space});
        ASSERT_TRUE(TestSupport::waitUntil([&] { return calls.releases > releases; }));
    }
};

} // namespace

TEST_F(HotKeyOnDesktop, EachPressCallsThePressHandlerOnceWhateverTheLockState)
{
    Calls calls;
    auto hotKey = countingHotKey(calls);
    ASSERT_EQ(hotKey->registrationError(), std::nullopt);
    EXPECT_EQ(hotKey->keyCombo(), KeyCombo(49, 0xA00));
    EXPECT_EQ(idOf(*hotKey), HotKeysController::hotKeysCount());

    const std::vector<std::vector<xcb_keysym_t>> lockStates{
        {}, {XK_Num_Lock}, {XK_Caps_Lock}, {XK_Num_Lock, XK_Caps_Lock}};
    for (const auto& locks : lockStates) {
        LocksOn on(locks);
        const int presses = calls.presses;
        // Shift+Space is not the combination: had it fired, the count would be
        // two ahead once the real press has been handled.
        TestSupport::pressKeys({XK_Shift_L, XK_space});
        pressOptionShiftSpace(calls);
        EXPECT_EQ(calls.presses, presses + 1) << locks.size() << " locks on";
        EXPECT_EQ(calls.releases, calls.presses);
    }
}

TEST_F(HotKeyOnDesktop, HoldingTheCombinationDownIsOnePressNotTheKeyboardsRepeats)
{
    Calls calls;
    auto hotKey = countingHotKey(calls);
    TestSupport::holdKeys({XK_Alt_L, XK_Shift_L, XK_space}, std::chrono::milliseconds(1500));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return calls.releases == 1; }));
    pressOptionShiftSpace(calls);
    EXPECT_EQ(calls.presses, 2);
    EXPECT_EQ(calls.releases, 2);
}

TEST_F(HotKeyOnDesktop, ACombinationAnotherProgramHoldsIsRefusedAndOursIsFreedWhenReleased)
{
    Platform::X11Connection rival;
    const xcb_keycode_t t = rival.keyboardMapping().find(XK_t)->keycode;
    const std::uint16_t controlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
    auto grab = [&](std::uint16_t modifiers) {
        return rival.check(
            xcb_grab_key_checked(rival.raw(), 1, rival.root(), modifiers, t, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    };
    auto ungrab = [&](std::uint16_t modifiers) {
        ASSERT_EQ(rival.check(xcb_ungrab_key_checked(rival.raw(), t, rival.root(), modifiers)), std::nullopt);
    };
    const std::string refusal =
        "Cannot register the hot key \u2303\u2325T: another application has taken this combination already";

    // Held by the other program in one lock state only: refused, and the
    // other states' grabs are given back.
    ASSERT_EQ(grab(controlAlt | XCB_MOD_MASK_LOCK), std::nullopt);
    {
        HotKey::HotKey refused(Key::t, ModifierFlags::control | ModifierFlags::option);
        EXPECT_EQ(refused.registrationError(), refusal);
        EXPECT_TRUE(HotKeysController::hotKeys().empty());
    }
    EXPECT_EQ(grab(controlAlt), std::nullopt);
    ungrab(controlAlt);
    ungrab(controlAlt | XCB_MOD_MASK_LOCK);

    // Ours first: the other program is refused until ours is released.
    {
        HotKey::HotKey ours(Key::t, ModifierFlags::control | ModifierFlags::option);
        ASSERT_EQ(ours.registrationError(), std::nullopt);
        EXPECT_EQ(grab(controlAlt)->code, XCB_ACCESS);
        EXPECT_EQ(grab(controlAlt | XCB_MOD_MASK_LOCK)->code, XCB_ACCESS);
    }
    EXPECT_EQ(grab(controlAlt), std::nullopt);
    EXPECT_EQ(grab(controlAlt | XCB_MOD_MASK_LOCK), std::nullopt);
}

TEST_F(HotKeyOnDesktop, KeysWithoutAnXCounterpartAreRefusedWithAClearError)
{
    const struct {
        KeyCombo combo;
        std::string error;
    } cases[] = {
        {{Key::function, ModifierFlags::option},
         "Cannot register the hot key \u2325fn: the key has no counterpart on an X display"},
        {{52, 0x800}, "Cannot register the hot key \u2325: the key has no counterpart on an X display"},
        // The US keyboard has no section key.
        {{Key::section, ModifierFlags::option},
         "Cannot register the hot key \u2325\u00A7: the keyboard has no key for it"},
    };
    for (const auto& test : cases) {
        HotKey::HotKey hotKey(test.combo);
        EXPECT_EQ(hotKey.registrationError(), test.error);
    }
    EXPECT_TRUE(HotKeysController::hotKeys().empty());
}

TEST_F(HotKeyOnDesktop, IdsAreNeverReusedAndRegisteringTwiceChangesNothing)
{
    Calls calls;
    auto first = countingHotKey(calls);
    const std::uint32_t firstID = idOf(*first);
    ASSERT_NE(firstID, 0u);
    first.reset();
    EXPECT_TRUE(HotKeysController::hotKeys().empty());

    auto second = countingHotKey(calls);
    EXPECT_EQ(idOf(*second), firstID + 1);
    second->setPaused(false); // registered already
    EXPECT_EQ(idOf(*second), firstID + 1);
    EXPECT_EQ(HotKeysController::hotKeysCount(), firstID + 1);

    second->setPaused(true);
    EXPECT_TRUE(HotKeysController::hotKeys().empty());
    second->setPaused(false);
    EXPECT_EQ(idOf(*second), firstID + 2);

    // The same combination twice in one program is refused, and the refusal
    // leaves the first registration working.
    HotKey::HotKey duplicate(Key::space, optionShift);
    EXPECT_EQ(duplicate.registrationError(), "Cannot register the hot key \u2325\u21E7\u2423: this application has "
                                             "registered this combination already");
    pressOptionShiftSpace(calls);
    EXPECT_EQ(calls.presses, 1);
}

TEST_F(HotKeyOnDesktop, EventsAreAnsweredByWhetherAHandlerRan)
{
    Calls calls;
    HotKey::HotKey pressOnly(Key::space, optionShift, [&] { ++calls.presses; });
    HotKey::HotKey withoutHandlers(Key::k, optionShift);
    const std::uint32_t id = idOf(pressOnly);

    const struct {
        std::uint32_t kind;
        Platform::HotKeyID hotKeyID;
        std::int32_t status;
    } cases[] = {
        {HotKeyEvent::pressed, {signature, id}, 0},
        {HotKeyEvent::released, {signature, id}, HotKeysController::eventNotHandledStatus},
        {7, {signature, id}, HotKeysController::eventNotHandledStatus},
        {HotKeyEvent::pressed, {signature + 1, id}, HotKeysController::eventNotHandledStatus},
        {HotKeyEvent::pressed,
         {signature, HotKeysController::hotKeysCount() + 1},
         HotKeysController::eventNotHandledStatus},
        {HotKeyEvent::pressed, {signature, idOf(withoutHandlers)}, HotKeysController::eventNotHandledStatus},
    };
    for (const auto& test : cases) {
        const HotKeyEvent event{test.kind, test.hotKeyID};
        EXPECT_EQ(HotKeysController::handleCarbonEvent(&event), test.status) << test.kind << " " << test.hotKeyID.id;
    }
    EXPECT_EQ(HotKeysController::handleCarbonEvent(nullptr), HotKeysController::eventNotHandledStatus);
    EXPECT_EQ(calls.presses, 1);

    pressOnly.setPaused(true);
    const HotKeyEvent paused{HotKeyEvent::pressed, {signature, id}};
    EXPECT_EQ(HotKeysController::handleCarbonEvent(&paused), HotKeysController::eventNotHandledStatus);
    EXPECT_EQ(calls.presses, 1);
}

TEST(HotKey, WithoutADisplayRegistrationFailsWithAClearError)
{
    TestSupport::ensureCoreApplication();
    TestSupport::ScopedEnvironment noDisplay("DISPLAY", std::nullopt);
    HotKey::HotKey hotKey(Key::space, optionShift);
    EXPECT_EQ(hotKey.registrationError(),
              "Cannot register the hot key \u2325\u21E7\u2423: No X display: DISPLAY is not set");
    EXPECT_TRUE(HotKeysController::hotKeys().empty());
}

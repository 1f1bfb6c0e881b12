#include "HotKey/KeyCombo.h"

#include "Platform/Input/CarbonModifiers.h"
#include "Support/GnomeKeyBindings.h"

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

using HotKey::Key;
using HotKey::KeyCombo;
using testing::ElementsAre;
namespace Modifier = Platform::CarbonModifier;

namespace {

KeyCombo combo(Key key, std::uint32_t modifiers)
{
    return KeyCombo(HotKey::carbonKeyCode(key), modifiers);
}

QAction* addItem(QMenu& menu, const QKeySequence& shortcut)
{
    QAction* action = menu.addAction("Item");
    action->setShortcut(shortcut);
    return action;
}

} // namespace

// The Part's example: q with command, then w with command and shift from the
// submenu; an item without a key equivalent adds nothing, but its submenu
// is still walked.
TEST(TakenKeyCombos, AMenuListsEachItemBeforeTheItemsOfItsSubmenu)
{
    QMenu menu;
    addItem(menu, QKeySequence(Qt::META | Qt::Key_Q));
    QMenu* submenu = menu.addMenu("More");
    addItem(*submenu, QKeySequence(Qt::META | Qt::SHIFT | Qt::Key_W));
    addItem(menu, QKeySequence());
    addItem(menu, QKeySequence(Qt::META | Qt::Key_Print)); // a key that Key does not know
    QMenu* unnamed = menu.addMenu("Unnamed");
    addItem(*unnamed, QKeySequence(Qt::CTRL | Qt::Key_Comma));

    EXPECT_THAT(KeyCombo::keyCombos(menu),
                ElementsAre(combo(Key::q, 0x100), combo(Key::w, 0x300), combo(Key::comma, Modifier::control)));
}

TEST(TakenKeyCombos, ShortcutsTurnIntoKeysAndMasksAsHotKeysAreGrabbed)
{
    const struct {
        QKeySequence shortcut;
        KeyCombo expected;
    } cases[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Z), combo(Key::z, Modifier::control)},
        {QKeySequence(Qt::ALT | Qt::Key_F4), combo(Key::f4, Modifier::option)},
        {QKeySequence(Qt::SHIFT | Qt::META | Qt::Key_Space), combo(Key::space, Modifier::shift | Modifier::command)},
        {QKeySequence(Qt::CTRL | Qt::Key_BracketLeft), combo(Key::leftBracket, Modifier::control)},
        {QKeySequence(Qt::Key_Escape), combo(Key::escape, 0)},
        {QKeySequence(Qt::CTRL | Qt::Key_Backspace), combo(Key::deleteKey, Modifier::control)},
        {QKeySequence(Qt::CTRL | Qt::Key_Delete), combo(Key::forwardDelete, Modifier::control)},
        {QKeySequence(Qt::ALT | Qt::Key_Left), combo(Key::leftArrow, Modifier::option)},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), combo(Key::pageDown, Modifier::control)},
        {QKeySequence(Qt::KeypadModifier | Qt::Key_7), combo(Key::keypad7, 0)},
        {QKeySequence(Qt::CTRL | Qt::Key_7), combo(Key::seven, Modifier::control)},
        {QKeySequence(Qt::META | Qt::Key_Return), combo(Key::returnKey, Modifier::command)},
        // Only the first key of a sequence is the item's key equivalent.
        {QKeySequence(Qt::CTRL | Qt::Key_K, Qt::CTRL | Qt::Key_C), combo(Key::k, Modifier::control)},
    };
    for (const auto& c : cases) {
        QMenu menu;
        addItem(menu, c.shortcut);
        EXPECT_THAT(KeyCombo::keyCombos(menu), ElementsAre(c.expected)) << c.shortcut.toString().toStdString();
    }
}

TEST(TakenKeyCombos, TheApplicationsMenuIsThatOfItsTrayIcon)
{
    EXPECT_THAT(KeyCombo::mainMenuKeyCombos(), ElementsAre());
    QMenu menu;
    addItem(menu, QKeySequence(Qt::CTRL | Qt::Key_Q));
    {
        QSystemTrayIcon notTheApplications;
        notTheApplications.setContextMenu(&menu);
        EXPECT_THAT(KeyCombo::mainMenuKeyCombos(), ElementsAre()) << "an icon the application object does not hold";
    }
    auto icon = std::make_unique<QSystemTrayIcon>(QCoreApplication::instance());
    EXPECT_THAT(KeyCombo::mainMenuKeyCombos(), ElementsAre()) << "an icon without a menu";
    icon->setContextMenu(&menu);
    EXPECT_THAT(KeyCombo::mainMenuKeyCombos(), ElementsAre(combo(Key::q, Modifier::control)));
    icon.reset();
    EXPECT_THAT(KeyCombo::mainMenuKeyCombos(), ElementsAre());
}

TEST(TakenKeyCombos, TheSystemsListIsTheDesktopsEnabledShortcuts)
{
    {
        const TestSupport::ScopedEnvironment desktop("XDG_CURRENT_DESKTOP", "openbox");
        EXPECT_THAT(KeyCombo::systemKeyCombos(), ElementsAre()) << "a desktop that lists no shortcuts";
    }
    const std::string bindings = TestSupport::stringListKey("switch-applications", "['<Super>Tab']") +
                                 TestSupport::stringListKey("minimize", "['disabled']");
    const TestSupport::GnomeKeyBindings gnome(
        TestSupport::keyBindingSchema("org.gnome.desktop.wm.keybindings", bindings));
    EXPECT_THAT(KeyCombo::systemKeyCombos(), ElementsAre(combo(Key::tab, Modifier::command)));
}

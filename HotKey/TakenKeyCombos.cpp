// The lists of combinations that are taken already: the desktop's, the
// application menu's, and any menu's.

#include "HotKey/KeyCombo.h"

#include "Platform/Input/CarbonModifiers.h"
#include "Platform/Input/DesktopShortcuts.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>

#include <algorithm>
#include <utility>

namespace HotKey {

namespace {

// The text a menu item's key equivalent would hold for a Qt key, which
// keyFromString() reads: printable keys as their character (letters come
// upper-case; names ignore case), the others by their key names.
std::string keyEquivalent(QKeyCombination combination)
{
    const Qt::Key key = combination.key();
    const bool keypad = combination.keyboardModifiers().testFlag(Qt::KeypadModifier);
    if (keypad && key >= Qt::Key_0 && key <= Qt::Key_9)
        return std::string("keypad").append(1, static_cast<char>(key));
    static constexpr std::pair<Qt::Key, const char*> keypadKeys[] = {
        {Qt::Key_Period, "keypaddecimal"}, {Qt::Key_Slash, "keypaddivide"}, {Qt::Key_Asterisk, "keypadmultiply"},
        {Qt::Key_Minus, "keypadminus"},    {Qt::Key_Plus, "keypadplus"},    {Qt::Key_Equal, "keypadequals"},
    };
    if (keypad)
        for (const auto& [candidate, name] : keypadKeys)
            if (key == candidate)
                return name;
    if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde)
        return std::string(1, static_cast<char>(key));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F20)
        return std::string("f").append(std::to_string(key - Qt::Key_F1 + 1));
    static constexpr std::pair<Qt::Key, const char*> namedKeys[] = {
        {Qt::Key_Tab, "tab"},           {Qt::Key_Return, "return"},     {Qt::Key_Enter, "keypadenter"},
        {Qt::Key_Escape, "escape"},     {Qt::Key_Backspace, "delete"},  {Qt::Key_Delete, "forwarddelete"},
        {Qt::Key_Home, "home"},         {Qt::Key_End, "end"},           {Qt::Key_PageUp, "pageup"},
        {Qt::Key_PageDown, "pagedown"}, {Qt::Key_Up, "uparrow"},        {Qt::Key_Down, "downarrow"},
        {Qt::Key_Left, "leftarrow"},    {Qt::Key_Right, "rightarrow"},  {Qt::Key_Help, "help"},
        {Qt::Key_Clear, "keypadclear"}, {Qt::Key_VolumeUp, "volumeup"}, {Qt::Key_VolumeDown, "volumedown"},
        {Qt::Key_VolumeMute, "mute"},
    };
    for (const auto& [candidate, name] : namedKeys)
        if (key == candidate)
            return name;
    return {};
}

std::uint32_t carbonModifiers(Qt::KeyboardModifiers modifiers)
{
    std::uint32_t mask = 0;
    if (modifiers.testFlag(Qt::ShiftModifier))
        mask |= Platform::CarbonModifier::shift;
    if (modifiers.testFlag(Qt::ControlModifier))
        mask |= Platform::CarbonModifier::control;
    if (modifiers.testFlag(Qt::AltModifier))
        mask |= Platform::CarbonModifier::option;
    if (modifiers.testFlag(Qt::MetaModifier))
        mask |= Platform::CarbonModifier::command;
    return mask;
}

// A submenu that is one of its own ancestors is not walked again.
void collect(const QMenu& menu, std::vector<KeyCombo>& combos, std::vector<const QMenu*>& ancestors)
{
    if (std::ranges::find(ancestors, &menu) != ancestors.end())
        return;
    ancestors.push_back(&menu);
    for (const QAction* action : menu.actions()) {
        const QKeySequence shortcut = action->shortcut();
        if (!shortcut.isEmpty())
            if (const std::optional<Key> key = keyFromString(keyEquivalent(shortcut[0])))
                combos.emplace_back(carbonKeyCode(*key), carbonModifiers(shortcut[0].keyboardModifiers()));
        if (const QMenu* submenu = action->menu())
            collect(*submenu, combos, ancestors);
    }
    ancestors.pop_back();
}

} // namespace

std::vector<KeyCombo> KeyCombo::systemKeyCombos()
{
    std::vector<KeyCombo> combos;
    for (const Platform::DesktopShortcut& shortcut : Platform::desktopShortcuts())
        combos.emplace_back(shortcut.virtualKeyCode, shortcut.carbonModifiers);
    return combos;
}

std::vector<KeyCombo> KeyCombo::mainMenuKeyCombos()
{
    const auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!application)
        return {};
    for (const QSystemTrayIcon* icon : application->findChildren<QSystemTrayIcon*>(Qt::FindDirectChildrenOnly))
        if (const QMenu* menu = icon->contextMenu())
            return keyCombos(*menu);
    return {};
}

std::vector<KeyCombo> KeyCombo::keyCombos(const QMenu& menu)
{
    std::vector<KeyCombo> combos;
    std::vector<const QMenu*> ancestors;
    collect(menu, combos, ancestors);
    return combos;
}

} // namespace HotKey

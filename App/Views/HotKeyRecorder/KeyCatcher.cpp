#include "App/Views/HotKeyRecorder/KeyCatcher.h"

#include "Platform/Desktop/X11Connection.h"
#include "Platform/Input/VirtualKeyCodes.h"
#include "Platform/Input/X11Modifiers.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <limits>
#include <optional>

namespace QEL {

using HotKey::Key;
using HotKey::ModifierFlags;

namespace {

// The keys that only modify others: pressed alone they make no combination.
bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_Mode_switch:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock: return true;
    default: return false;
    }
}

// Read from the X event behind the press, through the same tables that
// global hot keys are grabbed with, so that what is recorded is what fires.
ModifierFlags modifiersOf(const QKeyEvent& press)
{
    const auto state = static_cast<std::uint16_t>(press.nativeModifiers());
    return HotKey::modifierFlagsFromCarbonFlags(Platform::carbonModifiersOfX11(state));
}

std::optional<Key> keyOf(const QKeyEvent& press)
{
    const std::uint32_t keycode = press.nativeScanCode();
    if (keycode == 0 || keycode > std::numeric_limits<xcb_keycode_t>::max())
        return std::nullopt;
    try {
        const Platform::KeyboardMapping mapping = Platform::X11Connection::shared().keyboardMapping();
        const std::optional<std::uint32_t> code =
            Platform::virtualKeyCodeOfKeycode(mapping, static_cast<xcb_keycode_t>(keycode));
        return code ? HotKey::keyFromCarbonKeyCode(*code) : std::nullopt;
    } catch (const Platform::X11Unavailable&) {
        return std::nullopt;
    }
}

} // namespace

KeyCatcher::KeyCatcher(Capture onCapture, QObject* parent) : QObject(parent), onCapture_(std::move(onCapture)) {}

KeyCatcher::~KeyCatcher()
{
    setActive(false);
}

void KeyCatcher::setActive(bool active)
{
    if (active == active_)
        return;
    active_ = active;
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return;
    if (active)
        application->installEventFilter(this);
    else
        application->removeEventFilter(this);
}

bool KeyCatcher::eventFilter(QObject*, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const auto& press = static_cast<const QKeyEvent&>(*event);
    const ModifierFlags modifiers = modifiersOf(press);
    if (modifiers == ModifierFlags{} || isModifierKey(press.key()))
        return false;
    // Taking the shortcut check keeps the window's own shortcuts from
    // claiming the combination; the press itself then comes here.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (const std::optional<Key> key = keyOf(press); key && onCapture_)
        onCapture_(*key, modifiers);
    return true;
}

} // namespace QEL

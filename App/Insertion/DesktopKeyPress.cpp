#include "App/Insertion/DesktopKeyPress.h"

#include "Platform/Input/VirtualKeyCodes.h"

#include <X11/keysym.h>

namespace QEL {

std::optional<DesktopKeyPress> desktopKeyPress(Key key, ModifierFlags flags, AppContext frontmost)
{
    const std::optional<xcb_keysym_t> keysym = Platform::keysymForVirtualKeyCode(HotKey::carbonKeyCode(key));
    if (!keysym)
        return std::nullopt;
    const bool command = flags.contains(ModifierFlags::command);
    DesktopKeyPress press{*keysym, {}};
    if (command || flags.contains(ModifierFlags::option) || flags.contains(ModifierFlags::control))
        press.modifiers.push_back(XK_Control_L);
    if (flags.contains(ModifierFlags::shift) || (command && frontmost == AppContext::terminal))
        press.modifiers.push_back(XK_Shift_L);
    return press;
}

} // namespace QEL

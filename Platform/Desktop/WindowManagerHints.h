#pragma once

// What a floating panel asks of the X window manager beyond what the toolkit
// sets for a frameless window that stays on top.

#include <xcb/xcb.h>

namespace Platform {

// Asks the window manager to show `window` on every desktop and to leave it
// out of task bars, pagers and the window cycle. Call before the window is
// first shown. Throws X11Unavailable when there is no display.
void keepOnAllDesktopsOutOfWindowLists(xcb_window_t window);

// Whether a compositing manager runs on the display's screen: only then do the
// transparent parts of a window show what lies below it. False when there is
// no display.
bool isCompositingActive();

} // namespace Platform

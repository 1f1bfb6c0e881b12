#pragma once

#include "Platform/UserDefaults/UserDefaults.h"

namespace QEL {

// The user's settings for this application, in <configuration folder>/tolvek/
// QEL.json; opened on first use, so tests point XDG_CONFIG_HOME elsewhere first.
Platform::UserDefaults& standardUserDefaults();

} // namespace QEL

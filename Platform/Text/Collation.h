#pragma once

// Text in the order of the user's language, for lists that people read.

#include <string_view>

namespace Platform {

// -1, 0 or 1: the order of the process's collation locale (LC_COLLATE; the
// root order for C and POSIX), ignoring letter case but not accents.
int compareIgnoringCase(std::string_view first, std::string_view second);

} // namespace Platform

#pragma once

#include <string_view>

namespace QEL {

// Inserters and command effects report nothing to their callers; what went
// wrong goes to the debug log and the system log.
void logInsertionFailure(std::string_view message);

} // namespace QEL

#pragma once

// Failure messages that show keys as text.

#include "Hub/Config/BinaryDistinctString.h"

#include <ostream>

namespace Hub {

inline void PrintTo(const BinaryDistinctString& key, std::ostream* out) { *out << '"' << key.string() << '"'; }

} // namespace Hub

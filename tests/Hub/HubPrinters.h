#pragma once

// Failure messages that show keys and configuration values as text.

#include "Hub/Config/Config.h"

#include <ostream>

namespace Hub {

inline void PrintTo(const BinaryDistinctString& key, std::ostream* out)
{
    *out << '"' << key.string() << '"';
}
inline void PrintTo(const Config& value, std::ostream* out)
{
    *out << value.description();
}

} // namespace Hub

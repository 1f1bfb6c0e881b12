#pragma once

#include <optional>

namespace RuntimeCore {

// How much the engine logs, from most to least verbose.
enum class LogLevel : int { debug = 1, info = 2, error = 3, none = 4 };

// The level with the given raw value; none outside 1 to 4.
constexpr std::optional<LogLevel> logLevelFromRawValue(int rawValue)
{
    if (rawValue < 1 || rawValue > 4)
        return std::nullopt;
    return static_cast<LogLevel>(rawValue);
}

} // namespace RuntimeCore

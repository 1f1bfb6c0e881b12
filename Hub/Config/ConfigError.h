#pragma once

// Errors for callers that reject a configuration value of the wrong kind;
// reading a value never raises one itself.

#include "Hub/Config/Config.h"

#include <stdexcept>
#include <string>

namespace Hub {

class ConfigError : public std::runtime_error {
public:
    enum class Kind { typeMismatch, typeConversionFailed };

    static ConfigError typeMismatch(const Config::Data& expected, const Config::Data& actual)
    {
        return ConfigError(Kind::typeMismatch,
                           "Type mismatch: expected " + expected.description() + ", found " + actual.description());
    }
    static ConfigError typeConversionFailed(const std::string& value, const std::string& targetType)
    {
        return ConfigError(Kind::typeConversionFailed, "Cannot convert " + value + " to " + targetType);
    }

    Kind kind() const { return kind_; }

private:
    ConfigError(Kind kind, const std::string& description) : std::runtime_error(description), kind_(kind) {}

    Kind kind_;
};

} // namespace Hub

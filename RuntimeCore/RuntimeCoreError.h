#pragma once

#include <stdexcept>
#include <string>

namespace RuntimeCore {

// The runtime core's error. Its description is the thrower's message, unchanged.
class RuntimeCoreError : public std::runtime_error {
public:
    enum class Kind { invalidConfiguration };

    static RuntimeCoreError invalidConfiguration(const std::string& message)
    {
        return RuntimeCoreError(Kind::invalidConfiguration, message);
    }

    Kind kind() const { return kind_; }

private:
    RuntimeCoreError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) { }

    Kind kind_;
};

} // namespace RuntimeCore

#pragma once

// A tokenizer file whose stage configuration cannot be built: an unsupported
// "type", a missing required key, a pattern that does not compile. what() is
// the fault's fixed message; the key path says where it lies, outermost first
// ("decoders", "1", "start"), array positions as decimal text.

#include <stdexcept>
#include <string>
#include <vector>

namespace Tokenizers {

class ConfigurationError : public std::runtime_error {
public:
    explicit ConfigurationError(const std::string& message, std::vector<std::string> keyPath = {})
        : std::runtime_error(message), keyPath_(std::move(keyPath))
    {
    }

    const std::vector<std::string>& keyPath() const { return keyPath_; }

    // The same fault seen from one level further out.
    ConfigurationError inside(const std::string& component) const
    {
        std::vector<std::string> path{component};
        path.insert(path.end(), keyPath_.begin(), keyPath_.end());
        return ConfigurationError(what(), std::move(path));
    }

private:
    std::vector<std::string> keyPath_;
};

} // namespace Tokenizers

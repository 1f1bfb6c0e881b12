#pragma once

#include <stdexcept>
#include <string>

namespace RuntimeCore {

// A model that can be found neither locally nor on the hub. Its description is
// the message, unchanged.
class ModelDownloaderError : public std::runtime_error {
public:
    enum class Kind { modelUnavailable };

    static ModelDownloaderError modelUnavailable(const std::string& message)
    {
        return ModelDownloaderError(Kind::modelUnavailable, message);
    }

    Kind kind() const { return kind_; }

private:
    ModelDownloaderError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}

    Kind kind_;
};

} // namespace RuntimeCore

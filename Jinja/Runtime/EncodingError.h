#pragma once

// A value that cannot be written as JSON: the description says why, the
// coding path where (member keys and array positions, outermost first).

#include <stdexcept>
#include <string>
#include <vector>

namespace Jinja {

class EncodingError : public std::runtime_error {
public:
    EncodingError(const std::string& description, std::vector<std::string> codingPath)
        : std::runtime_error(description), codingPath_(std::move(codingPath))
    {
    }

    const std::vector<std::string>& codingPath() const { return codingPath_; }

private:
    std::vector<std::string> codingPath_;
};

} // namespace Jinja

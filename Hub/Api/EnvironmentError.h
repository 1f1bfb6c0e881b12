#pragma once

// Failures of the hub client's local side: its metadata records, offline use
// and the files it writes. what() is the description in words.

#include <stdexcept>
#include <string>

namespace Hub {

class EnvironmentError : public std::runtime_error {
public:
    enum class Kind { invalidMetadataError, offlineModeError, fileIntegrityError, fileWriteError };

    static EnvironmentError invalidMetadataError(const std::string& message);
    static EnvironmentError offlineModeError(const std::string& message);
    static EnvironmentError fileIntegrityError(const std::string& message);
    static EnvironmentError fileWriteError(const std::string& message);

    Kind kind() const { return kind_; }
    const std::string& message() const { return message_; }

private:
    EnvironmentError(Kind kind, const std::string& prefix, std::string message);

    Kind kind_;
    std::string message_;
};

} // namespace Hub

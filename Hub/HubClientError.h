#pragma once

// The error every hub operation raises. what() is its description in words;
// the payload (status code, file, message or underlying error) stays readable.

#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace Hub {

class HubClientError : public std::runtime_error {
public:
    enum class Kind {
        httpStatusCode,
        jsonSerialization,
        downloadError,
        fileNotFound,
        networkError,
        resourceNotFound,
        configurationMissing,
        fileSystemError,
        parseError,
        authorizationRequired,
        parse,
        unexpectedError,
    };

    static HubClientError httpStatusCode(int statusCode);
    // Described by the message alone.
    static HubClientError jsonSerialization(std::filesystem::path fileURL, const std::string& message);
    static HubClientError downloadError(const std::string& message);
    static HubClientError fileNotFound(const std::string& name);
    // A transfer that failed below HTTP, and a file operation that failed:
    // described by the underlying error (an exception_ptr from catch), which
    // stays the cause.
    static HubClientError networkError(std::exception_ptr cause);
    static HubClientError resourceNotFound(const std::string& name);
    static HubClientError configurationMissing(const std::string& name);
    static HubClientError fileSystemError(std::exception_ptr cause);
    static HubClientError parseError(const std::string& message);
    static HubClientError authorizationRequired();
    static HubClientError parse();
    static HubClientError unexpectedError();

    Kind kind() const { return kind_; }
    int statusCode() const { return statusCode_; }
    const std::filesystem::path& fileURL() const { return fileURL_; }
    // The text the case carries, empty for the cases without one.
    const std::string& message() const { return message_; }
    std::exception_ptr cause() const { return cause_; }

private:
    HubClientError(Kind kind, const std::string& description);
    static HubClientError carrying(Kind kind, const std::string& words, const std::string& message);
    static HubClientError causedBy(Kind kind, const std::string& words, std::exception_ptr cause);

    Kind kind_;
    int statusCode_ = 0;
    std::filesystem::path fileURL_;
    std::string message_;
    std::exception_ptr cause_;
};

} // namespace Hub

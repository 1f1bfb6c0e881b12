#include "Hub/HubClientError.h"

namespace Hub {

namespace {

std::string descriptionOf(std::exception_ptr cause)
{
    if (!cause)
        return "unknown error";
    try {
        std::rethrow_exception(cause);
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "unknown error";
    }
}

} // namespace

HubClientError::HubClientError(Kind kind, const std::string& description) : std::runtime_error(description), kind_(kind)
{
}

HubClientError HubClientError::carrying(Kind kind, const std::string& words, const std::string& message)
{
    HubClientError error(kind, words + message);
    error.message_ = message;
    return error;
}

HubClientError HubClientError::causedBy(Kind kind, const std::string& words, std::exception_ptr cause)
{
    HubClientError error(kind, words + descriptionOf(cause));
    error.cause_ = std::move(cause);
    return error;
}

HubClientError HubClientError::httpStatusCode(int statusCode)
{
    HubClientError error(Kind::httpStatusCode, "HTTP error with status code: " + std::to_string(statusCode));
    error.statusCode_ = statusCode;
    return error;
}

HubClientError HubClientError::jsonSerialization(std::filesystem::path fileURL, const std::string& message)
{
    HubClientError error = carrying(Kind::jsonSerialization, "", message);
    error.fileURL_ = std::move(fileURL);
    return error;
}

HubClientError HubClientError::downloadError(const std::string& message)
{
    return carrying(Kind::downloadError, "Download failed: ", message);
}

HubClientError HubClientError::fileNotFound(const std::string& name)
{
    return carrying(Kind::fileNotFound, "File not found: ", name);
}

HubClientError HubClientError::networkError(std::exception_ptr cause)
{
    return causedBy(Kind::networkError, "Network error: ", std::move(cause));
}

HubClientError HubClientError::resourceNotFound(const std::string& name)
{
    return carrying(Kind::resourceNotFound, "Resource not found: ", name);
}

HubClientError HubClientError::configurationMissing(const std::string& name)
{
    return carrying(Kind::configurationMissing, "Required configuration file missing: ", name);
}

HubClientError HubClientError::fileSystemError(std::exception_ptr cause)
{
    return causedBy(Kind::fileSystemError, "File system error: ", std::move(cause));
}

HubClientError HubClientError::parseError(const std::string& message)
{
    return carrying(Kind::parseError, "Parse error: ", message);
}

HubClientError HubClientError::authorizationRequired()
{
    return HubClientError(Kind::authorizationRequired,
                          "Authentication required. Please provide a valid model hub token.");
}

HubClientError HubClientError::parse()
{
    return HubClientError(Kind::parse, "Failed to parse server response.");
}

HubClientError HubClientError::unexpectedError()
{
    return HubClientError(Kind::unexpectedError, "An unexpected error occurred.");
}

} // namespace Hub

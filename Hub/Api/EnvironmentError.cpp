#include "Hub/Api/EnvironmentError.h"

namespace Hub {

EnvironmentError::EnvironmentError(Kind kind, const std::string& prefix, std::string message)
    : std::runtime_error(prefix + message), kind_(kind), message_(std::move(message))
{
}

EnvironmentError EnvironmentError::invalidMetadataError(const std::string& message)
{
    return EnvironmentError(Kind::invalidMetadataError, "Invalid metadata: ", message);
}

EnvironmentError EnvironmentError::offlineModeError(const std::string& message)
{
    return EnvironmentError(Kind::offlineModeError, "Offline mode error: ", message);
}

EnvironmentError EnvironmentError::fileIntegrityError(const std::string& message)
{
    return EnvironmentError(Kind::fileIntegrityError, "File integrity check failed: ", message);
}

EnvironmentError EnvironmentError::fileWriteError(const std::string& message)
{
    return EnvironmentError(Kind::fileWriteError, "Failed to write file: ", message);
}

} // namespace Hub

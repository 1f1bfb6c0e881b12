#include "RadozodEri/Utilities/WhisperError.h"

#include "RuntimeCore/Logging/Logging.h"

namespace RadozodEri {

std::string WhisperError::errorDescription() const
{
    RuntimeCore::Logging::error(what());
    return what();
}

} // namespace RadozodEri

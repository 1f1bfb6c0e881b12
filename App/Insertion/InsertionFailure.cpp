#include "App/Insertion/InsertionFailure.h"

#include "App/AppIdentity.h"
#include "App/Utils/FileLogger.h"
#include "Platform/Log/Log.h"

namespace QEL {

void logInsertionFailure(std::string_view message)
{
    FileLogger::log(message);
    Platform::Logger(AppIdentity::bundleIdentifier, "Insertion").error(message);
}

} // namespace QEL

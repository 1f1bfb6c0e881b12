#pragma once

#include <string>

namespace QelCore {

// The calling thread's most recent failure, as qel_last_error() reports it.
void setLastError(std::string message);
const char* lastError();

} // namespace QelCore

#include "QelCore/LastError.h"

#include <optional>

namespace QelCore {
namespace {
thread_local std::optional<std::string> threadError;
}

void setLastError(std::string message) { threadError = std::move(message); }

const char* lastError() { return threadError ? threadError->c_str() : nullptr; }

} // namespace QelCore

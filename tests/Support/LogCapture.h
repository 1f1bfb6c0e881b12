#pragma once

// Records what the engine's shared logger emits while the object lives, at
// the given level, and puts the logger back to its initial state afterwards.

#include "RuntimeCore/Logging/Logging.h"

#include <string>
#include <vector>

namespace TestSupport {

class LogCapture {
public:
    explicit LogCapture(RuntimeCore::LogLevel level = RuntimeCore::LogLevel::debug)
    {
        RuntimeCore::Logging::shared().setLogLevel(level);
        RuntimeCore::Logging::shared().setLoggingCallback([this](const std::string& line) { lines.push_back(line); });
    }
    ~LogCapture()
    {
        RuntimeCore::Logging::shared().setLoggingCallback(nullptr);
        RuntimeCore::Logging::shared().setLogLevel(RuntimeCore::LogLevel::none);
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> lines;
};

} // namespace TestSupport

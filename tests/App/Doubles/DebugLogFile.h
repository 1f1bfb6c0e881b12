#pragma once

// Sends the debug log to a private file while it lives, and reads back the
// messages written meanwhile, without their time stamps.

#include "App/Utils/FileLogger.h"
#include "Support/TestEnvironment.h"

#include <fstream>
#include <string>
#include <vector>

namespace QEL::Testing {

class DebugLogFile {
public:
    DebugLogFile() { FileLogger::setLogPathForTesting(folder_ / "debug.log"); }
    ~DebugLogFile() { FileLogger::setLogPathForTesting({}); }
    DebugLogFile(const DebugLogFile&) = delete;
    DebugLogFile& operator=(const DebugLogFile&) = delete;

    std::vector<std::string> messages() const
    {
        std::ifstream log(folder_ / "debug.log");
        std::vector<std::string> messages;
        for (std::string line; std::getline(log, line);)
            messages.push_back(line.substr(line.find("] ") + 2));
        return messages;
    }

private:
    TestSupport::TemporaryFolder folder_;
};

} // namespace QEL::Testing

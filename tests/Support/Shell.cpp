#include "Support/Shell.h"

#include <cstdio>
#include <stdexcept>

namespace TestSupport {

std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char character : text)
        quoted += character == '\'' ? std::string("'\\''") : std::string(1, character);
    return quoted + "'";
}

std::string runShellCommand(const std::string& command)
{
    std::FILE* process = popen(command.c_str(), "r");
    if (!process)
        throw std::runtime_error("cannot run: " + command);
    std::string output;
    char buffer[65536];
    while (const std::size_t count = std::fread(buffer, 1, sizeof buffer, process))
        output.append(buffer, count);
    if (pclose(process) != 0)
        throw std::runtime_error("failed: " + command + "\n" + output);
    return output;
}

} // namespace TestSupport

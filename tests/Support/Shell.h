#pragma once

#include <string>

namespace TestSupport {

// `text` as one word of a shell command line, whatever it holds.
std::string shellQuoted(const std::string& text);

// Runs a shell command line and returns what it wrote to standard output.
// Throws std::runtime_error, with that output, when it does not exit with 0.
std::string runShellCommand(const std::string& command);

} // namespace TestSupport

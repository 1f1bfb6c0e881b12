#pragma once

// Stopping the program when a caller breaks a container's contract. The
// containers report no errors of their own: a broken contract is a bug.

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace InternalCollectionsUtilities {

// Stops in every build type, after writing the message (when there is one).
[[noreturn]] inline void fatal(std::string_view message = {})
{
    if (!message.empty()) {
        std::fwrite(message.data(), 1, message.size(), stderr);
        std::fputc('\n', stderr);
        std::fflush(stderr);
    }
    std::abort();
}

inline void precondition(bool holds)
{
    if (!holds) [[unlikely]]
        fatal();
}

} // namespace InternalCollectionsUtilities

#pragma once

#include <cerrno>
#include <csignal>
#include <functional>
#include <system_error>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace TestSupport {

// What a write does when it reaches the file-size limit.
enum class AtLimit {
    crash, // the process dies of SIGXFSZ mid-write: the nearest thing to pulling the plug
    fail,  // the write fails with EFBIG and the caller sees the error
};

// Runs `body` in a forked child whose writes may not make a file longer than
// `limitBytes`, and returns the child's wait status. The child exits with 0 when
// `body` returns; `body` may end it sooner with its own _exit code.
inline int runInChildWithFileSizeLimit(rlim_t limitBytes, AtLimit atLimit, const std::function<void()>& body)
{
    const pid_t child = fork();
    if (child < 0)
        throw std::system_error(errno, std::generic_category(), "fork");
    if (child == 0) {
        if (atLimit == AtLimit::crash) {
            rlimit noCore {0, 0};
            setrlimit(RLIMIT_CORE, &noCore);
            std::signal(SIGXFSZ, SIG_DFL);
        } else {
            std::signal(SIGXFSZ, SIG_IGN);
        }
        rlimit limit {limitBytes, limitBytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        body();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

} // namespace TestSupport

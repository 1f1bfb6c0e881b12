#include "Support/Microphone.h"

#include "Support/Shell.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace TestSupport {

std::filesystem::path desktopMicrophone()
{
    const char* fifo = std::getenv("QEL_MIC_FIFO");
    return fifo ? fifo : "";
}

MicrophoneFeed::MicrophoneFeed(std::vector<float> samples, std::filesystem::path pipe)
    : writer_([this, samples = std::move(samples), pipe = std::move(pipe)] { write(samples, pipe); })
{
}

std::vector<float> microphoneSamples(const std::filesystem::path& wav)
{
    const std::string bytes =
        runShellCommand("sox " + shellQuoted(wav.string()) + " -t raw -e floating-point -b 32 -r 16000 -c 1 -L -");
    std::vector<float> samples(bytes.size() / sizeof(float));
    bytes.copy(reinterpret_cast<char*>(samples.data()), samples.size() * sizeof(float));
    return samples;
}

MicrophoneFeed::~MicrophoneFeed()
{
    stopping_ = true;
}

void MicrophoneFeed::write(const std::vector<float>& samples, const std::filesystem::path& pipePath)
{
    if (pipePath.empty())
        return;
    // A microphone that goes away mid-write leaves a pipe without a reader:
    // the write then fails instead of ending the process.
    sigset_t brokenPipe;
    sigemptyset(&brokenPipe);
    sigaddset(&brokenPipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &brokenPipe, nullptr);
    const char* fifo = pipePath.c_str();
    // Non-blocking throughout, so that stopping never waits for a reader.
    int pipe = -1;
    while (pipe < 0 && !stopping_) {
        pipe = open(fifo, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (pipe < 0)
            usleep(10000);
    }
    const char* bytes = reinterpret_cast<const char*>(samples.data());
    std::size_t left = samples.size() * sizeof(float);
    while (left > 0 && !stopping_) {
        pollfd writable{pipe, POLLOUT, 0};
        if (poll(&writable, 1, 50) <= 0)
            continue;
        const ssize_t written = ::write(pipe, bytes, left);
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            break;
        if (written > 0) {
            bytes += written;
            left -= static_cast<std::size_t>(written);
        }
    }
    finished_ = left == 0;
    if (pipe >= 0)
        close(pipe);
}

} // namespace TestSupport

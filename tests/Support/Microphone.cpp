#include "Support/Microphone.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace TestSupport {

namespace {

std::string quotedForShell(const std::string& text)
{
    std::string quoted = "'";
    for (char character : text)
        quoted += character == '\'' ? std::string("'\\''") : std::string(1, character);
    return quoted + "'";
}

} // namespace

MicrophoneFeed::MicrophoneFeed(std::vector<float> samples)
    : writer_([this, samples = std::move(samples)] { write(samples); })
{
}

std::vector<float> microphoneSamples(const std::filesystem::path& wav)
{
    const std::string command =
        "sox " + quotedForShell(wav.string()) + " -t raw -e floating-point -b 32 -r 16000 -c 1 -L -";
    std::FILE* converter = popen(command.c_str(), "r");
    if (!converter)
        throw std::runtime_error("cannot run sox");
    std::string bytes;
    char buffer[65536];
    while (const std::size_t count = std::fread(buffer, 1, sizeof buffer, converter))
        bytes.append(buffer, count);
    if (pclose(converter) != 0)
        throw std::runtime_error("sox cannot convert " + wav.string());
    std::vector<float> samples(bytes.size() / sizeof(float));
    bytes.copy(reinterpret_cast<char*>(samples.data()), samples.size() * sizeof(float));
    return samples;
}

MicrophoneFeed::~MicrophoneFeed()
{
    stopping_ = true;
}

void MicrophoneFeed::write(const std::vector<float>& samples)
{
    const char* fifo = std::getenv("QEL_MIC_FIFO");
    if (!fifo)
        return;
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

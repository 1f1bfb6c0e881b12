#pragma once

#include "Support/TestEnvironment.h"

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace TestSupport {

// A sound server of the test's own, for what would disturb the desktop's
// shared one: removing sources, stopping or killing the server, sources of
// other formats. It offers a null sink "speaker" (whose monitor is no
// microphone) and one microphone per PipeSource, reading the pipe
// pipeOf(name); the first is the default source, the monitor when there is
// none.
class PrivateSoundServer {
public:
    struct PipeSource {
        std::string name;
        unsigned rate = 16000;
        unsigned channels = 1;
    };

    // Starts the server and waits until it answers; throws std::runtime_error.
    explicit PrivateSoundServer(const std::vector<PipeSource>& sources);
    // Ends the server if it still runs.
    ~PrivateSoundServer();
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    // For PULSE_SERVER.
    std::string address() const;
    std::filesystem::path pipeOf(const std::string& source) const;

    // Runs pactl against this server and returns its output; throws on failure.
    std::string pactl(const std::string& arguments) const;
    // Unloads the module of the source of that name.
    void removeSource(const std::string& name) const;
    // Sends the server a signal: SIGKILL ends it, SIGSTOP makes it hang.
    void signal(int number);
    // Ends the server if it still runs and starts it again at the same
    // address with the same sources, as a user's session restarts it.
    void restart();

private:
    void start(const std::vector<PipeSource>& sources);

    std::vector<PipeSource> sources_;
    TemporaryFolder folder_;
    pid_t server_ = -1;
};

} // namespace TestSupport

#include "Support/SoundServer.h"

#include "Support/Shell.h"
#include "Support/Waiting.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace TestSupport {

namespace {

// The environment of this process without the variables named in `dropped`,
// plus `added` ("NAME=value").
std::vector<std::string> environmentChanged(const std::vector<std::string>& dropped,
                                            const std::vector<std::string>& added)
{
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('='));
        if (std::find(dropped.begin(), dropped.end(), name) == dropped.end())
            variables.push_back(variable);
    }
    variables.insert(variables.end(), added.begin(), added.end());
    return variables;
}

} // namespace

PrivateSoundServer::PrivateSoundServer(const std::vector<PipeSource>& sources)
{
    start(sources);
    sources_ = sources;
}

void PrivateSoundServer::restart()
{
    signal(SIGKILL);
    // A pipe source makes its pipe and refuses one left behind.
    for (const PipeSource& source : sources_)
        std::filesystem::remove(pipeOf(source.name));
    start(sources_);
}

void PrivateSoundServer::start(const std::vector<PipeSource>& sources)
{
    std::filesystem::create_directories(folder_ / "runtime");
    std::filesystem::create_directories(folder_ / "home");
    std::filesystem::permissions(folder_ / "runtime", std::filesystem::perms::owner_all);
    std::ofstream script(folder_ / "server.pa");
    script << "load-module module-native-protocol-unix auth-anonymous=1 socket=" << (folder_ / "native").string()
           << "\n"
           << "load-module module-null-sink sink_name=speaker\n";
    for (const PipeSource& source : sources)
        script << "load-module module-pipe-source source_name=" << source.name
               << " file=" << pipeOf(source.name).string() << " format=float32le rate=" << source.rate
               << " channels=" << source.channels << "\n";
    if (!sources.empty())
        script << "set-default-source " << sources.front().name << "\n";
    script.close();

    // Everything the child needs is prepared before fork, where this process
    // may have other threads.
    // Without the session bus: on it, a server claims a name that only one
    // server may hold.
    const std::vector<std::string> variables = environmentChanged(
        {"XDG_RUNTIME_DIR", "HOME", "DBUS_SESSION_BUS_ADDRESS", "DISPLAY"},
        {"XDG_RUNTIME_DIR=" + (folder_ / "runtime").string(), "HOME=" + (folder_ / "home").string()});
    std::vector<char*> environment;
    for (const std::string& variable : variables)
        environment.push_back(const_cast<char*>(variable.c_str()));
    environment.push_back(nullptr);
    const std::string scriptPath = (folder_ / "server.pa").string();
    const char* const arguments[] = {
        "pulseaudio",        "-n",   "-F", scriptPath.c_str(), "--daemonize=no", "--exit-idle-time=-1",
        "--use-pid-file=no", nullptr};
    const int log = open((folder_ / "server.log").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);

    server_ = fork();
    if (server_ < 0)
        throw std::runtime_error("cannot start a sound server");
    if (server_ == 0) {
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        execvpe("pulseaudio", const_cast<char* const*>(arguments), environment.data());
        _exit(127);
    }
    close(log);
    const bool answers = waitUntil([this] {
        try {
            pactl("info");
            return true;
        } catch (const std::runtime_error&) {
            return false;
        }
    });
    if (!answers)
        throw std::runtime_error("the sound server did not start:\n" + fileContents(folder_ / "server.log"));
}

PrivateSoundServer::~PrivateSoundServer()
{
    signal(SIGKILL);
}

std::string PrivateSoundServer::address() const
{
    return "unix:" + (folder_ / "native").string();
}

std::filesystem::path PrivateSoundServer::pipeOf(const std::string& source) const
{
    return folder_ / (source + ".fifo");
}

std::string PrivateSoundServer::pactl(const std::string& arguments) const
{
    return runShellCommand("PULSE_SERVER=" + shellQuoted(address()) + " pactl " + arguments + " 2>&1");
}

void PrivateSoundServer::removeSource(const std::string& name) const
{
    std::istringstream modules(pactl("list short modules"));
    for (std::string line; std::getline(modules, line);) {
        if (line.find("source_name=" + name + " ") != std::string::npos) {
            pactl("unload-module " + line.substr(0, line.find('\t')));
            return;
        }
    }
    throw std::runtime_error("no source " + name);
}

void PrivateSoundServer::signal(int number)
{
    if (server_ <= 0)
        return;
    kill(server_, number);
    if (number == SIGKILL) {
        waitpid(server_, nullptr, 0);
        server_ = -1;
    }
}

} // namespace TestSupport

#include "App/Utils/FileLogger.h"

#include "App/AppIdentity.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace QEL {

namespace {

std::mutex& logMutex()
{
    static std::mutex mutex;
    return mutex;
}

// Guarded by logMutex().
std::filesystem::path& pathOverride()
{
    static std::filesystem::path path;
    return path;
}

std::filesystem::path standardLogPath()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/')
        return std::filesystem::path(runtime) / AppIdentity::debugLogFileName;
    return std::filesystem::path("/tmp") / AppIdentity::debugLogFileName;
}

std::filesystem::path currentLogPath()
{
    return pathOverride().empty() ? standardLogPath() : pathOverride();
}

std::string timestampNow()
{
    std::time_t now = std::time(nullptr);
    std::tm utc {};
    gmtime_r(&now, &utc);
    char text[32];
    size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return std::string(text, length);
}

// Opens the log for appending, creating it private to the user. In a shared
// folder such as /tmp another user could plant a link, a FIFO or a file of their
// own at the path: none of those is opened for writing. Nor is a hard link, which
// could make the log another file of the user's, emptied by setup().
int openLog(const std::filesystem::path& path)
{
    int descriptor = ::open(path.c_str(),
                            O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY,
                            S_IRUSR | S_IWUSR);
    if (descriptor < 0)
        return -1;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1
        || status.st_uid != ::geteuid()) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

void writeWhole(int descriptor, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
}

// False when the last write was cut short (a full disk), so that the next
// line must first end the broken one.
bool endsWithLineBreak(int descriptor)
{
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || status.st_size == 0)
        return true;
    char last = '\n';
    return ::pread(descriptor, &last, 1, status.st_size - 1) != 1 || last == '\n';
}

std::string lineFor(std::string_view message)
{
    std::string line = "[" + timestampNow() + "] ";
    line.append(message);
    line.push_back('\n');
    return line;
}

} // namespace

void FileLogger::setup()
{
    std::lock_guard lock(logMutex());
    int descriptor = openLog(currentLogPath());
    if (descriptor < 0)
        return;
    // A log left by an earlier version may have been readable by others.
    ::fchmod(descriptor, S_IRUSR | S_IWUSR);
    if (::ftruncate(descriptor, 0) == 0)
        writeWhole(descriptor, lineFor("=== QEL Debug Log Started ==="));
    ::close(descriptor);
}

void FileLogger::log(std::string_view message)
{
    std::string line = lineFor(message);
    std::lock_guard lock(logMutex());
    int descriptor = openLog(currentLogPath());
    if (descriptor < 0)
        return;
    if (!endsWithLineBreak(descriptor))
        line.insert(line.begin(), '\n');
    writeWhole(descriptor, line);
    ::close(descriptor);
}

std::filesystem::path FileLogger::logPath()
{
    std::lock_guard lock(logMutex());
    return currentLogPath();
}

void FileLogger::setLogPathForTesting(std::filesystem::path path)
{
    std::lock_guard lock(logMutex());
    pathOverride() = std::move(path);
}

} // namespace QEL

#include "Platform/Paths/StandardPaths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace Platform {

namespace {

// The XDG conventions ask for relative values to be ignored: they would resolve
// against whatever the working folder happens to be.
std::filesystem::path fromEnvironment(const char* variable, const char* fallbackBelowHome)
{
    if (const char* value = std::getenv(variable); value && *value) {
        std::filesystem::path path(value);
        if (path.is_absolute())
            return path;
    }
    return homeDirectory() / fallbackBelowHome;
}

} // namespace

std::filesystem::path homeDirectory()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry {};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result
        && result->pw_dir)
        return result->pw_dir;
    return "/";
}

std::filesystem::path applicationSupportDirectory()
{
    return fromEnvironment("XDG_DATA_HOME", ".local/share");
}

std::filesystem::path configDirectory()
{
    return fromEnvironment("XDG_CONFIG_HOME", ".config");
}

std::filesystem::path documentsDirectory()
{
    return fromEnvironment("XDG_DOCUMENTS_DIR", "Documents");
}

} // namespace Platform

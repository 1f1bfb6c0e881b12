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

// The home folder of the password-database entry that `lookup` finds.
template <class Lookup>
std::optional<std::filesystem::path> passwordEntryHome(Lookup lookup)
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry {};
    passwd* result = nullptr;
    if (lookup(&entry, buffer.data(), buffer.size(), &result) != 0 || !result || !result->pw_dir)
        return std::nullopt;
    return std::filesystem::path(result->pw_dir);
}

} // namespace

std::filesystem::path homeDirectory()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    auto home = passwordEntryHome([](passwd* entry, char* buffer, size_t size, passwd** result) {
        return getpwuid_r(getuid(), entry, buffer, size, result);
    });
    return home.value_or("/");
}

std::optional<std::filesystem::path> homeDirectory(const std::string& userName)
{
    return passwordEntryHome([&](passwd* entry, char* buffer, size_t size, passwd** result) {
        return getpwnam_r(userName.c_str(), entry, buffer, size, result);
    });
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

#pragma once

#include <filesystem>
#include <string_view>

namespace Platform {

// The desktop entry that makes the user's session start a program at login:
// $XDG_CONFIG_HOME/autostart/<fileName> (see configDirectory()).
std::filesystem::path autostartEntryPath(std::string_view fileName);

// Writes the entry that starts `program`, without arguments, under the name
// `applicationName`, creating the autostart folder when needed. The file is
// replaced atomically, so a crash leaves the old entry or the new one. Throws
// std::system_error naming the path and the failing step.
void installAutostartEntry(std::string_view fileName, std::string_view applicationName,
                           const std::filesystem::path& program);

// Removes the entry; one that is already absent is no error. Throws
// std::filesystem::filesystem_error when it stays.
void removeAutostartEntry(std::string_view fileName);

} // namespace Platform

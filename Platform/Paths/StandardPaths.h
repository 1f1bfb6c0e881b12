#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace Platform {

// The user's standard folders, following the XDG base-directory conventions.
// Nothing is created here: callers create the folders they write into.

// $XDG_DATA_HOME, else ~/.local/share.
std::filesystem::path applicationSupportDirectory();

// $XDG_CONFIG_HOME, else ~/.config.
std::filesystem::path configDirectory();

// $XDG_DOCUMENTS_DIR, else ~/Documents.
std::filesystem::path documentsDirectory();

// $HOME, else the home folder in the password database.
std::filesystem::path homeDirectory();

// The home folder of the named user, or none for an unknown user.
std::optional<std::filesystem::path> homeDirectory(const std::string& userName);

} // namespace Platform

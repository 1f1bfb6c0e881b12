#pragma once

#include <filesystem>

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

} // namespace Platform

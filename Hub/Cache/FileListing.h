#pragma once

// The files of a cached repository, as offline use checks them.

#include <filesystem>
#include <vector>

namespace Hub {

// The regular files below `directory` at any depth, in the order the folder is
// read, leaving out hidden ones and everything inside hidden folders (so the
// cache's own records). An unreadable `directory` gives none; an entry that
// cannot be examined throws std::filesystem::filesystem_error.
std::vector<std::filesystem::path> getFileUrls(const std::filesystem::path& directory);

} // namespace Hub

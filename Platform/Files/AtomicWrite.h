#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace Platform {

// Replaces the file at `path` with `bytes` so that a crash at any moment leaves
// either the old contents or the new ones, never a mixture: the bytes go to a
// temporary file in the same folder, are flushed to disk, and the temporary file
// is renamed over the target. An existing target keeps its permission bits; a new
// file is readable by its owner only. The folder must exist. A symbolic link at
// `path` is written through: the file it leads to is replaced and the link stays.
// Throws std::system_error naming the path and the failing step; the target is
// then untouched and no temporary file is left behind.
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Moves a finished file (written elsewhere, for example a download) over `target`
// in the same file system, flushing its data first, so that after a crash the
// target is either absent or the whole file. Throws std::system_error as above.
void moveFileDurably(const std::filesystem::path& source, const std::filesystem::path& target);

// Replaces the folder at `target` with one that `fill` writes into a fresh
// staging folder beside it (with writeFileAtomically, so its files are on disk),
// so that after a crash `target` is the old folder or the whole new one, never
// a mixture. The staging folder is removed when `fill` throws; the error, or a
// std::system_error naming the failing step, passes on and `target` is untouched.
void replaceFolderAtomically(const std::filesystem::path& target,
                             const std::function<void(const std::filesystem::path& staging)>& fill);

} // namespace Platform

#include "Hub/Cache/FileListing.h"

namespace Hub {

std::vector<std::filesystem::path> getFileUrls(const std::filesystem::path& directory)
{
    std::error_code error;
    std::filesystem::recursive_directory_iterator entries(directory, error);
    if (error)
        return {};
    std::vector<std::filesystem::path> files;
    for (const std::filesystem::recursive_directory_iterator end; entries != end;) {
        const std::filesystem::directory_entry& entry = *entries;
        const bool hidden = entry.path().filename().string().starts_with('.');
        const std::filesystem::file_status status = entry.symlink_status();
        if (hidden && std::filesystem::is_directory(status))
            entries.disable_recursion_pending();
        if (!hidden && std::filesystem::is_regular_file(status))
            files.push_back(entry.path());
        entries.increment(error);
        if (error)
            throw std::filesystem::filesystem_error("Cannot list the files of the folder", directory, error);
    }
    return files;
}

} // namespace Hub

#pragma once

#include <filesystem>
#include <optional>

namespace Platform {

// An exclusive advisory lock (flock) that processes cooperating on a file take
// around their changes. It is held until the object goes away or the process
// ends, however it ends, so a killed holder never leaves it taken. Two locks
// on one file exclude each other within one process too.
class FileLock {
public:
    // Waits for the lock on the file or folder at `path`; a missing file is
    // created, private to the user. Throws std::system_error naming the path.
    explicit FileLock(const std::filesystem::path& path);

    // The lock when it is free now; none when another holder has it or the
    // path cannot be opened. Opens no FIFO, device or link.
    static std::optional<FileLock> tryLock(const std::filesystem::path& path);

    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&&) = delete;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    explicit FileLock(int descriptor) : descriptor_(descriptor) {}
    int descriptor_ = -1;
};

} // namespace Platform

#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace Platform {

// A file that cannot be read. what() names the path and the problem; code()
// keeps the system's reason, so a caller can tell a missing file (isMissing())
// from one that is there but unusable.
class FileReadError : public std::runtime_error {
public:
    FileReadError(const std::filesystem::path& path, std::error_code code, const std::string& problem);

    std::error_code code() const { return code_; }
    bool isMissing() const { return code_ == std::errc::no_such_file_or_directory; }

private:
    std::error_code code_;
};

// A regular file opened for reading. Opening never blocks: a FIFO, device,
// socket or folder at the path is refused (without being opened where it can be
// seen first) instead of waiting for a writer or reading a device for ever.
// Reads go through read(2), never a mapping, so a file that is cut short or
// rewritten while it is read gives an error instead of a SIGBUS.
class RegularFile {
public:
    // Throws FileReadError.
    explicit RegularFile(const std::filesystem::path& path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The size when the file was opened.
    std::uint64_t size() const { return size_; }

    // Reads exactly `count` bytes from `offset`. Throws FileReadError when the
    // file ends first (it was cut short since it was opened) or reading fails.
    void readExactly(void* destination, std::size_t count, std::uint64_t offset) const;

    // Reads from the start to the end of the file as it is now.
    std::string readAll() const;

    // True when the file's size or modification time differs from when it was
    // opened: it was rewritten while it was being read.
    bool changedSinceOpened() const;

private:
    std::filesystem::path path_;
    int descriptor_ = -1;
    std::uint64_t size_ = 0;
    struct timespec modified_ {};
};

// The whole content of the regular file at `path`. Throws FileReadError.
std::string readFile(const std::filesystem::path& path);

} // namespace Platform

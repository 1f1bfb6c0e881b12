#include "Platform/Files/ReadFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

namespace {

std::error_code systemError(int error)
{
    return {error, std::generic_category()};
}

const char* kindOfSpecialFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

void requireRegular(const std::filesystem::path& path, mode_t mode)
{
    if (!S_ISREG(mode))
        throw FileReadError(path, systemError(S_ISDIR(mode) ? EISDIR : EINVAL),
                            std::string("it is ") + kindOfSpecialFile(mode) + ", not a regular file");
}

} // namespace

FileReadError::FileReadError(const std::filesystem::path& path, std::error_code code, const std::string& problem)
    : std::runtime_error("Cannot read " + path.string() + ": " + problem), code_(code)
{
}

RegularFile::RegularFile(const std::filesystem::path& path) : path_(path)
{
    // Looking first keeps devices from being opened at all; the check on the
    // open descriptor below is the one that counts.
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        throw FileReadError(path, systemError(errno), systemError(errno).message());
    requireRegular(path, status.st_mode);

    descriptor_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor_ < 0)
        throw FileReadError(path, systemError(errno), systemError(errno).message());
    if (::fstat(descriptor_, &status) != 0) {
        const int error = errno;
        ::close(descriptor_);
        throw FileReadError(path, systemError(error), systemError(error).message());
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(descriptor_);
        requireRegular(path, status.st_mode);
    }
    size_ = static_cast<std::uint64_t>(status.st_size);
    modified_ = status.st_mtim;
}

RegularFile::~RegularFile()
{
    ::close(descriptor_);
}

void RegularFile::readExactly(void* destination, std::size_t count, std::uint64_t offset) const
{
    auto* bytes = static_cast<char*>(destination);
    while (count > 0) {
        const ssize_t got = ::pread(descriptor_, bytes, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw FileReadError(path_, systemError(errno), systemError(errno).message());
        if (got == 0)
            throw FileReadError(path_, systemError(EIO), "the file became shorter while it was being read");
        bytes += got;
        count -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
}

std::string RegularFile::readAll() const
{
    // The size is a hint only: the file may have grown or shrunk since.
    std::string contents;
    contents.reserve(static_cast<std::size_t>(size_));
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(descriptor_, buffer, sizeof buffer, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw FileReadError(path_, systemError(errno), systemError(errno).message());
        if (got == 0)
            return contents;
        contents.append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
}

bool RegularFile::changedSinceOpened() const
{
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0)
        return true;
    return static_cast<std::uint64_t>(status.st_size) != size_ || status.st_mtim.tv_sec != modified_.tv_sec
           || status.st_mtim.tv_nsec != modified_.tv_nsec;
}

std::string readFile(const std::filesystem::path& path)
{
    return RegularFile(path).readAll();
}

} // namespace Platform

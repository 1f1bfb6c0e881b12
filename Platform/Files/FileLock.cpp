#include "Platform/Files/FileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace Platform {

namespace {

[[noreturn]] void fail(int error, const std::string& step, const std::filesystem::path& path)
{
    throw std::system_error(error, std::generic_category(), "Cannot lock " + path.string() + " (" + step + ")");
}

bool isLockable(int descriptor)
{
    struct stat status {};
    return ::fstat(descriptor, &status) == 0 && (S_ISREG(status.st_mode) || S_ISDIR(status.st_mode));
}

} // namespace

FileLock::FileLock(const std::filesystem::path& path)
{
    descriptor_ = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, S_IRUSR | S_IWUSR);
    if (descriptor_ < 0 && errno == EISDIR)
        descriptor_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor_ < 0)
        fail(errno, "opening", path);
    if (!isLockable(descriptor_)) {
        ::close(descriptor_);
        fail(EINVAL, "not a regular file or folder", path);
    }
    while (::flock(descriptor_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            const int error = errno;
            ::close(descriptor_);
            fail(error, "locking", path);
        }
    }
}

std::optional<FileLock> FileLock::tryLock(const std::filesystem::path& path)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0)
        return std::nullopt;
    if (!isLockable(descriptor) || ::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        ::close(descriptor);
        return std::nullopt;
    }
    return FileLock(descriptor);
}

FileLock::FileLock(FileLock&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}

FileLock::~FileLock()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

} // namespace Platform

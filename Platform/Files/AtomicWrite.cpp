#include "Platform/Files/AtomicWrite.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace Platform {

namespace {

[[noreturn]] void fail(int error, const std::string& step, const std::filesystem::path& path)
{
    throw std::system_error(error, std::generic_category(),
                            "Cannot write " + path.string() + " (" + step + ")");
}

// Removes the temporary file unless the rename has taken it over.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& target)
        : name_(target.parent_path() / ("." + target.filename().string() + ".XXXXXX"))
    {
        std::string pattern = name_.string();
        descriptor_ = mkostemp(pattern.data(), O_CLOEXEC);
        if (descriptor_ < 0)
            fail(errno, "creating a temporary file", target);
        name_ = pattern;
    }
    ~TemporaryFile()
    {
        if (descriptor_ >= 0)
            ::close(descriptor_);
        if (!renamed_)
            ::unlink(name_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int descriptor() const { return descriptor_; }
    const std::filesystem::path& name() const { return name_; }
    int close()
    {
        int result = ::close(descriptor_);
        descriptor_ = -1;
        return result;
    }
    void markRenamed() { renamed_ = true; }

private:
    std::filesystem::path name_;
    int descriptor_ = -1;
    bool renamed_ = false;
};

void writeAll(int descriptor, std::string_view bytes, const std::filesystem::path& target)
{
    while (!bytes.empty()) {
        ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fail(errno, "writing", target);
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
}

// Makes the rename itself durable; a folder that cannot be synced (some network
// file systems) does not make the write fail, the data is already in place.
void syncFolder(const std::filesystem::path& folder)
{
    int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    ::fsync(descriptor);
    ::close(descriptor);
}

// The file a write to `path` replaces: the end of the chain of symbolic links
// at `path`, if any, so that the links keep pointing where they pointed.
std::filesystem::path finalTarget(const std::filesystem::path& path)
{
    constexpr int maxLinks = 40; // the kernel's own limit
    std::filesystem::path target = path.has_parent_path() ? path : std::filesystem::path(".") / path;
    for (int links = 0; links < maxLinks; ++links) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(target, error)))
            return target;
        const std::filesystem::path next = std::filesystem::read_symlink(target, error);
        if (error)
            fail(error.value(), "reading the symbolic link", path);
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    fail(ELOOP, "following symbolic links", path);
}

} // namespace

void moveFileDurably(const std::filesystem::path& source, const std::filesystem::path& target)
{
    const int descriptor = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        fail(errno, "opening the finished file", target);
    const int synced = ::fsync(descriptor);
    const int syncError = errno;
    ::close(descriptor);
    if (synced != 0)
        fail(syncError, "flushing to disk", target);
    if (::rename(source.c_str(), target.c_str()) != 0)
        fail(errno, "replacing the file", target);
    syncFolder(target.has_parent_path() ? target.parent_path() : std::filesystem::path("."));
}

void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes)
{
    const std::filesystem::path target = finalTarget(path);
    TemporaryFile temporary(target);

    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0
        && ::fchmod(temporary.descriptor(), existing.st_mode & 07777) != 0)
        fail(errno, "copying permissions", path);

    writeAll(temporary.descriptor(), bytes, path);
    if (::fsync(temporary.descriptor()) != 0)
        fail(errno, "flushing to disk", path);
    if (temporary.close() != 0)
        fail(errno, "closing", path);
    if (::rename(temporary.name().c_str(), target.c_str()) != 0)
        fail(errno, "replacing the file", path);
    temporary.markRenamed();
    syncFolder(target.parent_path());
}

void replaceFolderAtomically(const std::filesystem::path& target,
                             const std::function<void(const std::filesystem::path& staging)>& fill)
{
    const std::filesystem::path parent = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::string pattern = (parent / ("." + target.filename().string() + ".XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        fail(errno, "creating a staging folder", target);
    std::filesystem::path staging = pattern;
    try {
        fill(staging);
        syncFolder(staging);
        // A folder cannot be renamed over a folder that has files in it; the
        // two are exchanged instead and the old one, now at `staging`, removed.
        if (::rename(staging.c_str(), target.c_str()) == 0) {
            syncFolder(parent);
            return;
        }
        if (errno != ENOTEMPTY && errno != EEXIST)
            fail(errno, "moving the new folder into place", target);
        if (::renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0)
            fail(errno, "exchanging the new folder for the old one", target);
        syncFolder(parent);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove_all(staging, ignored);
        throw;
    }
    std::error_code ignored;
    std::filesystem::remove_all(staging, ignored);
}

} // namespace Platform

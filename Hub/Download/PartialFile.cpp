#include "Hub/Download/PartialFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace Hub {

namespace {

[[noreturn]] void fail(const std::filesystem::path& path, const char* step)
{
    throw std::system_error(errno, std::generic_category(), std::string(step) + " " + path.string());
}

} // namespace

PartialFile::PartialFile(std::filesystem::path path, bool hashed) : path_(std::move(path))
{
    descriptor_ = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
    if (descriptor_ < 0)
        fail(path_, "Cannot open the partial download");
    if (hashed)
        hash_.emplace();
    std::vector<char> block(hashed ? 1 << 20 : 0);
    for (;;) {
        if (!hashed) {
            const off_t end = ::lseek(descriptor_, 0, SEEK_END);
            if (end < 0)
                fail(path_, "Cannot seek in");
            size_ = end;
            return;
        }
        const ssize_t count = ::read(descriptor_, block.data(), block.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            fail(path_, "Cannot read");
        if (count == 0)
            return;
        hash_->update(std::string_view(block.data(), static_cast<size_t>(count)));
        size_ += count;
    }
}

PartialFile::~PartialFile()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

void PartialFile::append(std::string_view bytes)
{
    if (hash_)
        hash_->update(bytes);
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            fail(path_, "Cannot write");
        bytes.remove_prefix(static_cast<size_t>(written));
        size_ += written;
    }
}

void PartialFile::truncate()
{
    if (::ftruncate(descriptor_, 0) != 0 || ::lseek(descriptor_, 0, SEEK_SET) != 0)
        fail(path_, "Cannot empty");
    size_ = 0;
    if (hash_)
        hash_.emplace();
}

void PartialFile::close()
{
    const int descriptor = descriptor_;
    descriptor_ = -1;
    if (::close(descriptor) != 0)
        fail(path_, "Cannot close");
}

std::optional<std::string> PartialFile::finishHash()
{
    if (!hash_)
        return std::nullopt;
    return hash_->finishHex();
}

} // namespace Hub

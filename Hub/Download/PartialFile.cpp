#include "Hub/Download/PartialFile.h"

#include <cerrno>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace Hub {

namespace {

// The most that one piece of a body adds to a batch that is not yet full.
constexpr std::size_t largestPiece = 16'384;
// The hasher is woken once this much arrived, not for every piece.
constexpr std::size_t hashingStride = 1 << 20;

[[noreturn]] void fail(const std::filesystem::path& path, const char* step)
{
    throw std::system_error(errno, std::generic_category(), std::string(step) + " " + path.string());
}

} // namespace

// Follows the batch as it fills: the bytes before `published` are stable and
// hashed on this thread while later ones arrive. The gathering thread touches
// the digests only once the hasher has caught up.
struct PartialFile::Hasher {
    std::mutex mutex;
    std::condition_variable_any changed;
    const char* batch = nullptr;
    std::size_t published = 0;
    std::size_t hashed = 0;
    Platform::SHA256 hash;
    Platform::SHA256 beforeBatch;
    std::jthread thread{[this](std::stop_token stop) { run(stop); }};

    void run(std::stop_token stop)
    {
        std::unique_lock lock(mutex);
        while (changed.wait(lock, stop, [&] { return hashed < published; })) {
            const char* from = batch + hashed;
            const std::size_t count = published - hashed;
            lock.unlock();
            hash.update(std::string_view(from, count));
            lock.lock();
            hashed += count;
            changed.notify_all();
        }
    }

    void publish(const std::string& bytes)
    {
        {
            std::lock_guard lock(mutex);
            batch = bytes.data();
            published = bytes.size();
        }
        changed.notify_all();
    }

    // Hashes everything gathered so far before it returns.
    void waitUntilHashed(const std::string& bytes)
    {
        publish(bytes);
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return hashed == published; });
    }

    // After the hasher caught up: the batch is gone, kept in the digest or not.
    void startBatch(bool keepDigest)
    {
        std::lock_guard lock(mutex);
        published = hashed = 0;
        if (keepDigest)
            beforeBatch = hash;
        else
            hash = beforeBatch;
    }
};

PartialFile::PartialFile(std::filesystem::path path, bool hashed, std::size_t batchSize) : path_(std::move(path))
{
    descriptor_ = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
    if (descriptor_ < 0)
        fail(path_, "Cannot open the partial download");
    batch_.reserve(batchSize + largestPiece);
    if (!hashed) {
        const off_t end = ::lseek(descriptor_, 0, SEEK_END);
        if (end < 0)
            fail(path_, "Cannot seek in");
        size_ = end;
        return;
    }
    hasher_ = std::make_unique<Hasher>();
    std::vector<char> block(std::size_t{1} << 20);
    for (;;) {
        const ssize_t count = ::read(descriptor_, block.data(), block.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            fail(path_, "Cannot read");
        if (count == 0)
            break;
        hasher_->hash.update(std::string_view(block.data(), static_cast<std::size_t>(count)));
        size_ += count;
    }
    hasher_->startBatch(true);
}

PartialFile::~PartialFile()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

void PartialFile::gather(std::string_view bytes)
{
    // Growing the batch would move the bytes the hasher reads.
    if (hasher_ && batch_.size() + bytes.size() > batch_.capacity()) {
        hasher_->waitUntilHashed(batch_);
        publishedSize_ = batch_.size();
    }
    batch_.append(bytes);
    if (hasher_ && batch_.size() - publishedSize_ >= hashingStride) {
        hasher_->publish(batch_);
        publishedSize_ = batch_.size();
    }
}

void PartialFile::writeBatch()
{
    // The hasher reads the batch's last bytes while they are written.
    if (hasher_)
        hasher_->publish(batch_);
    std::string_view bytes = batch_;
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            fail(path_, "Cannot write");
        bytes.remove_prefix(static_cast<std::size_t>(written));
        size_ += written;
    }
    if (hasher_) {
        hasher_->waitUntilHashed(batch_);
        hasher_->startBatch(true);
    }
    batch_.clear();
    publishedSize_ = 0;
}

void PartialFile::discardBatch()
{
    if (hasher_) {
        hasher_->waitUntilHashed(batch_);
        hasher_->startBatch(false);
    }
    batch_.clear();
    publishedSize_ = 0;
}

void PartialFile::truncate()
{
    discardBatch();
    if (::ftruncate(descriptor_, 0) != 0 || ::lseek(descriptor_, 0, SEEK_SET) != 0)
        fail(path_, "Cannot empty");
    size_ = 0;
    if (hasher_) {
        hasher_->hash = Platform::SHA256();
        hasher_->startBatch(true);
    }
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
    if (!hasher_)
        return std::nullopt;
    discardBatch();
    return hasher_->hash.finishHex();
}

} // namespace Hub

#pragma once

// The file a download appends to, resumed from whatever it already holds. The
// bytes that arrive are gathered into batches and written a batch at a time.
// When asked it keeps a SHA-256 of the whole content, computed on a thread of
// its own while the bytes of a batch arrive, so a finished download is
// verified without reading it again and almost without waiting.

#include "Platform/Crypto/SHA256.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Hub {

class PartialFile {
public:
    // Opens the existing file at `path` for appending; with `hashed`, first
    // reads what it holds into the digest. A batch of about `batchSize` bytes is
    // gathered without moving in memory. Throws std::system_error.
    PartialFile(std::filesystem::path path, bool hashed, std::size_t batchSize);
    ~PartialFile();
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    // The bytes on disk, and the ones gathered but not yet written.
    std::int64_t size() const { return size_; }
    std::size_t pending() const { return batch_.size(); }

    void gather(std::string_view bytes);
    // Writes the gathered bytes. Throws std::system_error; what was written
    // before a failure stays.
    void writeBatch();
    // Forgets the gathered bytes, and their share of the digest.
    void discardBatch();
    // Empties the file, and the digest with it.
    void truncate();
    // Flushes and closes the file. Throws std::system_error.
    void close();

    // The digest of the whole content written as 64 lower-case hexadecimal
    // digits; none unless hashed.
    std::optional<std::string> finishHash();

private:
    struct Hasher;

    std::filesystem::path path_;
    int descriptor_ = -1;
    std::int64_t size_ = 0;
    std::string batch_;
    std::size_t publishedSize_ = 0; // the part of the batch handed to the hasher
    std::unique_ptr<Hasher> hasher_;
};

} // namespace Hub

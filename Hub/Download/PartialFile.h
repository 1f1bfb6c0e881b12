#pragma once

// The file a download appends to, resumed from whatever it already holds.
// When asked it keeps a SHA-256 of its whole content as bytes are written, so
// a finished download is verified without reading it a second time.

#include "Platform/Crypto/SHA256.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace Hub {

class PartialFile {
public:
    // Opens the existing file at `path` for appending; with `hashed`, first
    // reads what it holds into the digest. Throws std::system_error.
    PartialFile(std::filesystem::path path, bool hashed);
    ~PartialFile();
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    std::int64_t size() const { return size_; }

    // Throws std::system_error; what was written before a failure stays.
    void append(std::string_view bytes);
    // Empties the file, and the digest with it.
    void truncate();
    // Flushes and closes the file. Throws std::system_error.
    void close();

    // The digest of the whole content as 64 lower-case hexadecimal digits; none
    // unless hashed.
    std::optional<std::string> finishHash();

private:
    std::filesystem::path path_;
    int descriptor_ = -1;
    std::int64_t size_ = 0;
    std::optional<Platform::SHA256> hash_;
};

} // namespace Hub

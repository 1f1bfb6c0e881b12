#pragma once

#include <cstddef>
#include <filesystem>
#include <span>

namespace Platform {

// A regular file mapped read-only: pages are read from disk when first
// touched, so opening a large file costs almost nothing and its untouched
// parts take no memory. The file must not be cut short while it is mapped
// (reading a page past its new end stops the process), so map only files that
// nothing rewrites in place; the atomic writes of this program replace files
// instead.
class MappedFile {
public:
    // Opened with RegularFile's checks; throws FileReadError.
    explicit MappedFile(const std::filesystem::path& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    std::span<const std::byte> bytes() const { return {static_cast<const std::byte*>(address_), size_}; }

private:
    void* address_ = nullptr; // null for an empty file
    std::size_t size_ = 0;
};

} // namespace Platform

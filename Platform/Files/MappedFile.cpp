#include "Platform/Files/MappedFile.h"

#include "Platform/Files/ReadFile.h"

#include <cerrno>
#include <limits>
#include <sys/mman.h>

namespace Platform {

MappedFile::MappedFile(const std::filesystem::path& path)
{
    const RegularFile file(path);
    if (file.size() > std::numeric_limits<std::size_t>::max() / 2)
        throw FileReadError(path, std::make_error_code(std::errc::file_too_large), "it is too large to map");
    size_ = static_cast<std::size_t>(file.size());
    if (size_ == 0)
        return;
    address_ = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, file.descriptor_, 0);
    if (address_ == MAP_FAILED) {
        const std::error_code error(errno, std::generic_category());
        address_ = nullptr;
        throw FileReadError(path, error, error.message());
    }
}

MappedFile::~MappedFile()
{
    if (address_)
        ::munmap(address_, size_);
}

} // namespace Platform

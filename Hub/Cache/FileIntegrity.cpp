#include "Hub/Api/HubApi.h"

#include "Hub/HubClientError.h"
#include "Platform/Crypto/SHA256.h"
#include "Platform/Files/ReadFile.h"
#include "Platform/Text/Regex.h"

#include <algorithm>

namespace Hub {

bool HubApi::isValidHash(const std::string& hash, const std::string& pattern)
{
    const std::optional<Platform::Regex> regex = Platform::Regex::cached(pattern);
    return regex && regex->isMatch(hash);
}

std::string HubApi::computeFileHash(const std::filesystem::path& file)
{
    std::optional<Platform::RegularFile> opened;
    try {
        opened.emplace(file);
    } catch (const Platform::FileReadError&) {
        throw HubClientError::fileNotFound(file.filename().string());
    }
    constexpr std::uint64_t blockSize = 1'048'576;
    std::string block(blockSize, '\0');
    Platform::SHA256 hash;
    // A read that fails raises its error: a digest of the part before it would
    // pass a damaged file as another one.
    for (std::uint64_t offset = 0; offset < opened->size(); offset += blockSize) {
        const auto count = static_cast<size_t>(std::min(blockSize, opened->size() - offset));
        opened->readExactly(block.data(), count, offset);
        hash.update(std::string_view(block.data(), count));
    }
    return hash.finishHex();
}

} // namespace Hub

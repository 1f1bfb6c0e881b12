#include "Hub/Api/HubApi.h"

#include "Platform/Files/AtomicWrite.h"
#include "Platform/Files/ReadFile.h"
#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/Format.h"
#include "Platform/Text/UnicodeScalars.h"
#include "RuntimeCore/Logging/Logging.h"

#include <charconv>
#include <chrono>
#include <cstdlib>

namespace Hub {

namespace {

// Splits at every line break character on its own, so "\r\n" leaves an empty
// piece between its two characters: line feed, vertical tab, form feed,
// carriage return, U+0085, U+2028 and U+2029.
std::vector<std::string_view> lines(std::string_view text)
{
    std::vector<std::string_view> pieces;
    size_t start = 0;
    for (size_t index = 0; index < text.size();) {
        const auto byte = static_cast<unsigned char>(text[index]);
        size_t length = 0;
        if (byte >= 0x0A && byte <= 0x0D)
            length = 1;
        else if (text.substr(index, 2) == "\xC2\x85")
            length = 2;
        else if (text.substr(index, 3) == "\xE2\x80\xA8" || text.substr(index, 3) == "\xE2\x80\xA9")
            length = 3;
        if (length == 0) {
            ++index;
            continue;
        }
        pieces.push_back(text.substr(start, index - start));
        index += length;
        start = index;
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

std::optional<double> secondsFromText(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    const std::string copy(text);
    const Platform::CNumericFormatting cLocale;
    char* end = nullptr;
    const double seconds = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size())
        return std::nullopt;
    return seconds;
}

// The shortest text that reads back as the same number, a whole number with
// one fractional zero.
std::string secondsText(double seconds)
{
    char text[64];
    std::string written(text, std::to_chars(text, text + sizeof text, seconds).ptr);
    if (written.find_first_of(".eEn") == std::string::npos)
        written += ".0";
    return written;
}

void removeCorruptedRecord(const std::filesystem::path& path, const std::string& message)
{
    RuntimeCore::Logging::shared().log({message}, "", "", RuntimeCore::Logging::LogType::error);
    std::error_code error;
    std::filesystem::remove(path, error);
    if (error)
        throw EnvironmentError::invalidMetadataError("Could not remove corrupted metadata file: " + error.message());
}

} // namespace

std::filesystem::path HubApi::localRepoLocation(const Repo& repo) const
{
    return downloadBase / repoTypeNames.name(repo.type) / repo.id;
}

Config HubApi::configuration(const std::string& filename, const Repo& repo) const
{
    return configuration(localRepoLocation(repo) / filename);
}

std::optional<LocalDownloadFileMetadata> HubApi::readDownloadMetadata(const std::filesystem::path& metadataPath)
{
    std::error_code missing;
    if (!std::filesystem::exists(metadataPath, missing))
        return std::nullopt;
    const std::string url = "file://" + metadataPath.string();
    std::string text;
    try {
        text = Platform::readFile(metadataPath);
        if (Platform::validUTF8(text) != text)
            throw std::runtime_error("The file is not UTF-8 text");
    } catch (const std::exception& error) {
        removeCorruptedRecord(metadataPath, "Error reading metadata file " + url + ": " + error.what() +
                                                ". Removing it from disk and continuing.");
        return std::nullopt;
    }
    const auto invalid = [&](const std::string& message) {
        removeCorruptedRecord(metadataPath, "Invalid metadata file " + url + ": " +
                                                EnvironmentError::invalidMetadataError(message).what() +
                                                ". Removing it from disk and continuing.");
        return std::nullopt;
    };
    const std::vector<std::string_view> pieces = lines(text);
    if (pieces.size() < 3)
        return invalid("Metadata file is missing required fields");
    const auto field = [&](size_t index) {
        return std::string(Platform::trimming(pieces[index], Platform::CharacterSet::whitespacesAndNewlines));
    };
    const std::optional<double> seconds = secondsFromText(field(2));
    if (!seconds)
        return invalid("Invalid timestamp format");
    std::string filename = metadataPath.filename().string();
    for (size_t found; (found = filename.find(".metadata")) != std::string::npos;)
        filename.erase(found, std::string_view(".metadata").size());
    return LocalDownloadFileMetadata{field(0), field(1), std::move(filename), *seconds};
}

void HubApi::writeDownloadMetadata(const std::string& commitHash, const std::string& etag,
                                   const std::filesystem::path& metadataPath)
{
    const double now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    const std::string text = commitHash + "\n" + etag + "\n" + secondsText(now) + "\n";
    try {
        std::filesystem::create_directories(metadataPath.parent_path());
        Platform::writeFileAtomically(metadataPath, text);
    } catch (const std::exception& error) {
        throw EnvironmentError::fileWriteError("Failed to write metadata to " + metadataPath.string() + ": " +
                                               error.what());
    }
}

} // namespace Hub

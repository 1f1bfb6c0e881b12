#include "Hub/Api/TokenDiscovery.h"

#include "Platform/Files/ReadFile.h"
#include "Platform/Paths/StandardPaths.h"
#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/UnicodeScalars.h"
#include "RuntimeCore/Extensions/FoundationExtensions.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <vector>

namespace Hub {

namespace {

struct Found {
    std::string value;
    std::string source;
};

std::optional<std::string> environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

std::optional<std::string> fileValue(const std::filesystem::path& path)
{
    try {
        return Platform::readFile(path);
    } catch (const Platform::FileReadError&) {
        return std::nullopt;
    }
}

bool isWellFormedUTF8(std::string_view text)
{
    bool wellFormed = true;
    Platform::forEachCodePoint(text, [&](std::optional<char32_t> codePoint, std::string_view) {
        wellFormed = wellFormed && codePoint.has_value();
    });
    return wellFormed;
}

bool holdsControlCharacter(std::string_view text)
{
    bool found = false;
    Platform::forEachCodePoint(text, [&](std::optional<char32_t> codePoint, std::string_view) {
        found = found || (codePoint && (*codePoint < 0x20 || (*codePoint >= 0x7F && *codePoint <= 0x9F)));
    });
    return found;
}

std::optional<Found> firstValue()
{
    for (const char* name : {"HUB_TOKEN", "MODEL_HUB_TOKEN"}) {
        if (auto value = environmentValue(name)) {
            std::string trimmed(Platform::trimming(*value, Platform::CharacterSet::whitespacesAndNewlines));
            if (!trimmed.empty())
                return Found{std::move(trimmed), name};
        }
    }
    std::vector<std::filesystem::path> files;
    if (auto path = environmentValue("HUB_TOKEN_PATH"); path && !path->empty())
        files.emplace_back(RuntimeCore::resolveAbsolutePath(*path));
    if (auto home = environmentValue("HUB_HOME"); home && !home->empty())
        files.push_back(std::filesystem::path(RuntimeCore::resolveAbsolutePath(*home)) / "token");
    const std::filesystem::path userHome = Platform::homeDirectory();
    files.push_back(userHome / ".cache" / "modelhub" / "token");
    files.push_back(userHome / ".modelhub" / "token");
    for (const auto& file : files) {
        const auto contents = fileValue(file);
        if (!contents || !isWellFormedUTF8(*contents))
            continue;
        std::string trimmed(Platform::trimming(*contents, Platform::CharacterSet::whitespacesAndNewlines));
        if (!trimmed.empty())
            return Found{std::move(trimmed), "the file " + file.string()};
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> usableToken(std::string token, const std::string& source)
{
    if (!holdsControlCharacter(token))
        return token;
    std::cerr << "Ignoring the hub token from " + source + ": it holds a control character\n";
    return std::nullopt;
}

std::optional<std::string> discoverHubToken()
{
    auto found = firstValue();
    if (!found)
        return std::nullopt;
    return usableToken(std::move(found->value), found->source);
}

} // namespace Hub

#include "RuntimeCore/Extensions/FoundationExtensions.h"

#include "Platform/Paths/StandardPaths.h"
#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/Graphemes.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fnmatch.h>
#include <optional>
#include <utility>

namespace RuntimeCore {

namespace {

// "~" and "~/..." name the user's home, "~name/..." that user's home; an
// unknown user leaves the path as it is.
std::string expandingTilde(std::string_view path)
{
    if (!path.starts_with('~'))
        return std::string(path);
    size_t slash = path.find('/');
    std::string_view user = path.substr(1, slash == std::string_view::npos ? std::string_view::npos : slash - 1);
    std::string_view rest = slash == std::string_view::npos ? std::string_view() : path.substr(slash);
    auto home = user.empty() ? Platform::homeDirectory() : Platform::homeDirectory(std::string(user));
    if (!home)
        return std::string(path);
    // A home of "/" must not turn "~/x" into "//x".
    std::string folder = home->string();
    while (folder.ends_with('/'))
        folder.pop_back();
    if (rest.empty())
        return folder.empty() ? "/" : folder;
    return folder + std::string(rest);
}

} // namespace

float rounded(float value, int decimalPlaces)
{
    float scale = std::pow(10.0f, static_cast<float>(decimalPlaces));
    return std::round(value * scale) / scale;
}

std::string resolveAbsolutePath(std::string_view path)
{
    std::string expanded = expandingTilde(path);
    if (expanded.starts_with('/'))
        return expanded;
    std::error_code error;
    std::filesystem::path folder = std::filesystem::current_path(error);
    std::string absolute = (folder / expanded).string();
    while (absolute.size() > 1 && absolute.ends_with('/'))
        absolute.pop_back();
    return absolute;
}

std::string trimmingFromEnd(std::string_view text, std::string_view character, int upto)
{
    for (int removed = 0; removed < upto && !text.empty() && Platform::lastGrapheme(text) == character; ++removed)
        text.remove_suffix(character.size());
    return std::string(text);
}

std::optional<std::string> lastNaturalBoundary(std::string_view text, int minTokenCount,
                                               const std::function<std::vector<int>(std::string_view)>& encode)
{
    const std::vector<std::string_view> characters = Platform::graphemeClusters(text);
    auto longEnough = [&](std::string_view candidate) {
        return std::cmp_greater_equal(encode(candidate).size(), minTokenCount);
    };
    // The text up to the end (or, for the blank, the start) of the last character
    // of the set, trimmed; none when no character of the set occurs.
    auto prefixAtLast = [&](std::initializer_list<std::string_view> set, bool includeBoundary) {
        for (auto character = characters.rbegin(); character != characters.rend(); ++character) {
            if (std::find(set.begin(), set.end(), *character) == set.end())
                continue;
            size_t end = static_cast<size_t>(character->data() - text.data())
                + (includeBoundary ? character->size() : 0);
            return std::optional<std::string_view>(
                Platform::trimming(text.substr(0, end), Platform::CharacterSet::whitespacesAndNewlines));
        }
        return std::optional<std::string_view>();
    };

    for (auto set : {std::initializer_list<std::string_view> {".", "!", "?", "\n"},
                     std::initializer_list<std::string_view> {",", ";", ":", "-", "\u2013"}})
        if (auto candidate = prefixAtLast(set, true); candidate && longEnough(*candidate))
            return std::string(*candidate);
    if (auto candidate = prefixAtLast({" "}, false); candidate && longEnough(*candidate))
        return std::string(*candidate);
    return std::nullopt;
}

std::vector<std::string> matching(const std::vector<std::string>& names, const std::string& glob)
{
    std::vector<std::string> matches;
    for (const auto& name : names)
        if (fnmatch(glob.c_str(), name.c_str(), 0) == 0)
            matches.push_back(name);
    return matches;
}

} // namespace RuntimeCore

#include "RadozodEri/Utilities/Extensions.h"

#include "Platform/Text/CaseMapping.h"
#include "Platform/Text/CharacterSets.h"
#include "RadozodEri/Core/Constants.h"

#include <algorithm>

namespace RadozodEri {

std::vector<std::optional<std::vector<std::shared_ptr<TranscriptionResult>>>>
toOptionalArrays(const std::vector<TranscriptionOutcome>& outcomes)
{
    std::vector<std::optional<std::vector<std::shared_ptr<TranscriptionResult>>>> results;
    results.reserve(outcomes.size());
    for (const TranscriptionOutcome& outcome : outcomes) {
        if (const auto* success = std::get_if<0>(&outcome))
            results.emplace_back(*success);
        else
            results.emplace_back(std::nullopt);
    }
    return results;
}

bool contains(const std::vector<TranscriptionSegment>& segments, const TranscriptionSegment& segment)
{
    return std::any_of(segments.begin(), segments.end(),
                       [&](const TranscriptionSegment& candidate) { return candidate.start == segment.start; });
}

std::string normalized(std::string_view text)
{
    std::string lowered = Platform::lowercased(text);
    std::replace(lowered.begin(), lowered.end(), '-', ' ');
    const std::string unpunctuated = Platform::removing(lowered, Platform::CharacterSet::punctuation);
    std::string collapsed;
    collapsed.reserve(unpunctuated.size());
    for (char c : unpunctuated)
        if (c != ' ' || collapsed.empty() || collapsed.back() != ' ')
            collapsed.push_back(c);
    return std::string(Platform::trimming(collapsed, Platform::CharacterSet::whitespacesAndNewlines));
}

std::string_view trimmingSpecialTokenCharacters(std::string_view text)
{
    const std::size_t begin = text.find_first_not_of(Constants::specialTokenCharacters);
    if (begin == std::string_view::npos)
        return {};
    const std::size_t end = text.find_last_not_of(Constants::specialTokenCharacters);
    return text.substr(begin, end - begin + 1);
}

} // namespace RadozodEri

#include "App/Audio/NonSpeechTokens.h"

#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/Regex.h"

#include <vector>

namespace QEL {

namespace {

const std::vector<Platform::Regex>& nonSpeechTokens()
{
    static const std::vector<Platform::Regex> tokens = [] {
        std::vector<Platform::Regex> compiled;
        for (const char* token : {"[Music]", "[Applause]", "[Laughter]", "(music)", "(applause)", "[MUSIC]",
                                  "[BLANK_AUDIO]", "[silence]", "(silence)"})
            compiled.emplace_back(token, Platform::RegexOptions{.literal = true});
        return compiled;
    }();
    return tokens;
}

} // namespace

std::string removingNonSpeechTokens(std::string_view text)
{
    std::string cleaned(text);
    for (const Platform::Regex& token : nonSpeechTokens())
        cleaned = token.replaceAll(cleaned, "");
    return std::string(Platform::trimming(cleaned, Platform::CharacterSet::whitespacesAndNewlines));
}

} // namespace QEL

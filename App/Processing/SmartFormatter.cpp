#include "App/Processing/SmartFormatter.h"

#include "App/Processing/ReplacementRule.h"
#include "Platform/Text/CaseMapping.h"
#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/Graphemes.h"

#include <vector>

namespace QEL {

namespace {

using Platform::CharacterSet;
using Platform::RegexMatch;
constexpr Platform::RegexOptions ignoringCase{.caseInsensitive = true};

struct Rules {
    ReplacementRule markRun{R"(([.!?]){2,})", "$1"};
    // A full stop before a digit begins a number (".5"): its space stays.
    ReplacementRule spaceBeforeMark{R"( ([!?,;:]|\.(?!\d)))", "$1"};
    ReplacementRule spaceAfterMark{R"(([!?,;:])([A-Za-z]))", "$1 $2"};
    // After a full stop only before a capital, so "file.txt" and "e.g." stay whole.
    ReplacementRule spaceAfterFullStop{R"((\.)([A-Z]))", "$1 $2"};
    ReplacementRule lonePronoun{R"(\bi\b)", "I"};
    std::vector<ReplacementRule> contractions;
    ReplacementRule sentenceStart{R"(([.!?]\s+)([a-z]))", [](std::string_view text, const RegexMatch& match) {
                                      return std::string(match.group(text, 1)) +
                                             Platform::uppercased(match.group(text, 2));
                                  }};
    ReplacementRule spaceRun{"  +", " "};

    Rules()
    {
        const std::pair<const char*, const char*> ignoringCaseForms[] = {
            {R"(\bim\b)", "I'm"},     {R"(\bdont\b)", "don't"}, {R"(\bcant\b)", "can't"},
            {R"(\bwont\b)", "won't"}, {R"(\bive\b)", "I've"},
        };
        for (const auto& [pattern, replacement] : ignoringCaseForms)
            contractions.emplace_back(pattern, replacement, ignoringCase);
        // Exact case only: "id" and "ill" are words of their own.
        contractions.emplace_back(R"(\bId\b)", "I'd");
        contractions.emplace_back(R"(\bIll\b)", "I'll");
    }
};

const Rules& rules()
{
    static const Rules shared;
    return shared;
}

} // namespace

std::string SmartFormatter::format(std::string_view text, AppContext context) const
{
    std::string result = itn_.normalize(text);
    result = fixTranscriptionArtifacts(std::move(result));
    result = smartCapitalize(std::move(result));
    result = applyContextFormatting(std::move(result), context);
    return cleanSpacing(std::move(result));
}

std::string SmartFormatter::fixTranscriptionArtifacts(std::string text) const
{
    const Rules& r = rules();
    text = std::string(Platform::trimming(text, CharacterSet::whitespacesAndNewlines));
    for (const ReplacementRule* rule :
         {&r.markRun, &r.spaceBeforeMark, &r.spaceAfterMark, &r.spaceAfterFullStop, &r.lonePronoun})
        text = rule->apply(text);
    for (const ReplacementRule& rule : r.contractions)
        text = rule.apply(text);
    return text;
}

std::string SmartFormatter::smartCapitalize(std::string text) const
{
    std::string_view first = Platform::firstGrapheme(text);
    if (Platform::isLowercase(first))
        text = Platform::uppercased(first) + text.substr(first.size());
    return rules().sentenceStart.apply(text);
}

std::string SmartFormatter::applyContextFormatting(std::string text, AppContext context) const
{
    switch (context) {
    case AppContext::general:
    case AppContext::codeEditor: return text;
    case AppContext::email:
        if (!text.ends_with('.') && !text.ends_with('!') && !text.ends_with('?'))
            text += '.';
        return text;
    case AppContext::teamChat:
    case AppContext::messaging: {
        std::string_view first = Platform::firstGrapheme(text);
        if (Platform::isUppercase(first)) {
            std::string_view opening = Platform::graphemePrefix(text, 5);
            std::string_view word = opening;
            std::size_t start = opening.find_first_not_of(' ');
            if (start != std::string_view::npos) {
                std::size_t end = opening.find(' ', start);
                word = opening.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
            }
            if (!isAcronymOrName(word))
                text = Platform::lowercased(first) + text.substr(first.size());
        }
        if (text.ends_with('.') && !text.ends_with("..."))
            text = std::string(Platform::dropLastGraphemes(text));
        return text;
    }
    case AppContext::terminal: {
        std::string lowered = Platform::lowercased(text);
        std::string_view trimmed = Platform::trimming(lowered, CharacterSet::punctuation);
        return std::string(Platform::trimming(trimmed, CharacterSet::whitespaces));
    }
    }
    return text;
}

std::string SmartFormatter::cleanSpacing(std::string text) const
{
    text = rules().spaceRun.apply(text);
    return std::string(Platform::trimming(text, CharacterSet::whitespacesAndNewlines));
}

bool SmartFormatter::isAcronymOrName(std::string_view word) const
{
    if (Platform::uppercased(word) == word)
        return true;
    return Platform::isUppercase(Platform::firstGrapheme(word)) && Platform::graphemeCount(word) > 1;
}

} // namespace QEL

#include "App/Processing/FillerRemover.h"

#include "App/Processing/ReplacementRule.h"
#include "Platform/Text/CharacterSets.h"

namespace QEL {

namespace {

// All phrases run before any regular expression, each kind in table order.
const std::vector<ReplacementRule>& removalRules()
{
    // Phrases are removed as whole words: "resort of" and "Hi meant" are words
    // of their own, not fillers.
    static const std::vector<ReplacementRule> rules = [] {
        std::vector<ReplacementRule> built;
        for (bool regexPass : {false, true})
            for (const auto& filler : FillerRemover::fillerPatterns())
                if (filler.isRegex == regexPass)
                    built.emplace_back(regexPass ? filler.pattern : wholeWords("\\Q" + filler.pattern + "\\E"), "",
                                       Platform::RegexOptions{.caseInsensitive = true});
        return built;
    }();
    return rules;
}

const ReplacementRule& spaceRunRule()
{
    static const ReplacementRule rule(" {2,}", " ");
    return rule;
}

const ReplacementRule& spaceBeforeCommaRule()
{
    static const ReplacementRule rule(" ,", ",");
    return rule;
}

} // namespace

const std::vector<FillerRemover::FillerPattern>& FillerRemover::fillerPatterns()
{
    static const std::vector<FillerPattern> patterns = {
        {"you know what I mean", false},
        {"you know what", false},
        {"at the end of the day", false},
        {"I mean", false},
        {"you know", false},
        {"sort of", false},
        {"kind of", false},
        {R"(\bum+\b)", true},
        {R"(\buh+\b)", true},
        {R"(\bhmm+\b)", true},
        {R"(\bah+\b)", true},
        {R"(\beh+\b)", true},
        {R"(\blike\b)", true},
        {R"(\bbasically\b)", true},
        {R"(\bactually\b)", true},
        {R"(\bliterally\b)", true},
        {R"(\bso\b)", true},
        {R"(\bright\b)", true},
    };
    return patterns;
}

std::string FillerRemover::removeFillers(std::string_view input) const
{
    std::string text(input);
    for (const ReplacementRule& rule : removalRules())
        text = rule.apply(text);
    // A comma that followed a removed filler joins the word before the gap.
    text = spaceBeforeCommaRule().apply(text);
    text = spaceRunRule().apply(text);
    return std::string(Platform::trimming(text, Platform::CharacterSet::whitespacesAndNewlines));
}

} // namespace QEL

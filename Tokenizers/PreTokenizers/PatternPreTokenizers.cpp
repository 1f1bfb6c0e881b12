#include "Tokenizers/PreTokenizers/PatternPreTokenizers.h"

#include "Tokenizers/Splitting/StringSplitting.h"

namespace Tokenizers {

std::vector<std::string> PatternPreTokenizer::preTokenize(std::string_view text, const PreTokenizerOptions&) const
{
    std::vector<std::string> pieces;
    for (const Platform::TextRange& range : ranges(text, re_))
        pieces.emplace_back(text.substr(range.begin, range.end - range.begin));
    return pieces;
}

// ASCII symbols such as "$", "+" and "^" count as punctuation beside the
// Unicode punctuation categories.
PunctuationPreTokenizer::PunctuationPreTokenizer(const Hub::Config&)
    : PatternPreTokenizer(R"([^\p{P}\u0021-\u002F\u003A-\u0040\u005B-\u0060\u007B-\u007E]+)"
                          R"(|[\p{P}\u0021-\u002F\u003A-\u0040\u005B-\u0060\u007B-\u007E]+)")
{
}

DigitsPreTokenizer::DigitsPreTokenizer(const Hub::Config& config)
    : PatternPreTokenizer(config.member("individualDigits").boolean(false) ? R"([^\d]+|\d)" : R"([^\d]+|\d+)")
{
}

WhitespacePreTokenizer::WhitespacePreTokenizer(const Hub::Config&) : PatternPreTokenizer(R"(\S+)") {}

BertPreTokenizer::BertPreTokenizer(const Hub::Config&)
    : PatternPreTokenizer(R"([^\s\p{P}\u0021-\u002F\u003A-\u0040\u005B-\u0060\u007B-\u007E]+)"
                          R"(|[\p{P}\u0021-\u002F\u003A-\u0040\u005B-\u0060\u007B-\u007E])")
{
}

} // namespace Tokenizers

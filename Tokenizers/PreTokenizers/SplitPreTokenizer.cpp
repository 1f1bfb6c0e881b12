#include "Tokenizers/PreTokenizers/SplitPreTokenizer.h"

#include "Tokenizers/Splitting/StringSplitting.h"

namespace Tokenizers {

SplitPreTokenizer::SplitPreTokenizer(const Hub::Config& config)
    : pattern_(StringSplitPattern::from(config)), invert_(config.member("invert").boolean(false))
{
}

std::vector<std::string> SplitPreTokenizer::preTokenize(std::string_view text, const PreTokenizerOptions&) const
{
    if (!pattern_)
        return {std::string(text)};
    std::vector<std::string_view> pieces;
    if (const auto* literal = std::get_if<StringSplitPattern::Literal>(&pattern_->pattern))
        pieces = split(text, literal->pattern, SearchKind::plain, !invert_);
    else
        pieces = split(text, std::get<Platform::Regex>(pattern_->pattern), SplitDelimiterBehavior::isolated);
    return {pieces.begin(), pieces.end()};
}

} // namespace Tokenizers

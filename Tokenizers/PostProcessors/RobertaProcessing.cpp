#include "Tokenizers/PostProcessors/RobertaProcessing.h"

#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/Graphemes.h"
#include "Tokenizers/CharacterClasses.h"
#include "Tokenizers/PostProcessors/BertProcessing.h"

namespace Tokenizers {
namespace {

// At most one white-space character (line breaks included) left at each end.
// A token of white space only keeps a single character when it has one and
// becomes empty otherwise: the one character kept at each end would be
// counted twice.
std::string withSingleSpaces(std::string_view token)
{
    const std::vector<std::string_view> characters = Platform::graphemeClusters(token);
    std::size_t leading = 0;
    while (leading < characters.size() && isWhiteSpaceCharacter(characters[leading]))
        ++leading;
    if (leading == characters.size())
        return characters.size() == 1 ? std::string(token) : std::string();
    std::size_t trailing = 0;
    while (isWhiteSpaceCharacter(characters[characters.size() - 1 - trailing]))
        ++trailing;
    const std::size_t first = leading > 0 ? leading - 1 : 0;
    const std::size_t last = characters.size() - 1 - (trailing > 0 ? trailing - 1 : 0);
    const char* begin = characters[first].data();
    return std::string(begin, characters[last].data() + characters[last].size());
}

} // namespace

RobertaProcessing::RobertaProcessing(const Hub::Config& config)
    : sep_(SpecialToken::required(config, "sep")), cls_(SpecialToken::required(config, "cls")),
      trimOffset_(config.member("trimOffset").boolean(true)),
      addPrefixSpace_(config.member("addPrefixSpace").boolean(true))
{
}

std::vector<std::string> RobertaProcessing::trimmed(const std::vector<std::string>& tokens) const
{
    if (!trimOffset_)
        return tokens;
    std::vector<std::string> result;
    result.reserve(tokens.size());
    for (const std::string& token : tokens)
        result.push_back(addPrefixSpace_ ? withSingleSpaces(token)
                                         : std::string(Platform::trimming(token, Platform::CharacterSet::whitespaces)));
    return result;
}

std::vector<std::string> RobertaProcessing::postProcess(const std::vector<std::string>& tokens,
                                                        const std::optional<std::vector<std::string>>& tokensPair,
                                                        bool addSpecialTokens) const
{
    if (!addSpecialTokens)
        return concatenated(tokens, tokensPair);
    std::vector<std::string> result{cls_.text};
    for (std::string& token : trimmed(tokens))
        result.push_back(std::move(token));
    result.push_back(sep_.text);
    if (tokensPair && !tokensPair->empty()) {
        result.push_back(sep_.text);
        for (std::string& token : trimmed(*tokensPair))
            result.push_back(std::move(token));
        result.push_back(sep_.text);
    }
    return result;
}

} // namespace Tokenizers

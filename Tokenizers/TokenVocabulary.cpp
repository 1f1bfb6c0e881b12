#include "Tokenizers/TokenVocabulary.h"

namespace Tokenizers {

std::vector<std::optional<int>> TokenVocabulary::convertTokensToIds(std::span<const std::string> tokens) const
{
    std::vector<std::optional<int>> ids;
    ids.reserve(tokens.size());
    for (const std::string& token : tokens)
        ids.push_back(convertTokenToId(token));
    return ids;
}

std::vector<std::optional<std::string>> TokenVocabulary::convertIdsToTokens(std::span<const int> ids) const
{
    std::vector<std::optional<std::string>> tokens;
    tokens.reserve(ids.size());
    for (int id : ids)
        tokens.push_back(convertIdToToken(id));
    return tokens;
}

} // namespace Tokenizers

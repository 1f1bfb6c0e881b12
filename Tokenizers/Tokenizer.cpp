#include "Tokenizers/Tokenizer.h"

#include "Tokenizers/ElementWise.h"

namespace Tokenizers {

std::vector<std::optional<int>> Tokenizer::convertTokensToIds(std::span<const std::string> tokens) const
{
    return convertEach(tokens, [&](const std::string& token) { return convertTokenToId(token); });
}

std::vector<std::optional<std::string>> Tokenizer::convertIdsToTokens(std::span<const int> ids) const
{
    return convertEach(ids, [&](int id) { return convertIdToToken(id); });
}

} // namespace Tokenizers

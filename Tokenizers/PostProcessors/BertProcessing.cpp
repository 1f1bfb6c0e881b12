#include "Tokenizers/PostProcessors/BertProcessing.h"

namespace Tokenizers {

std::vector<std::string> concatenated(const std::vector<std::string>& tokens,
                                      const std::optional<std::vector<std::string>>& tokensPair)
{
    std::vector<std::string> result = tokens;
    if (tokensPair)
        result.insert(result.end(), tokensPair->begin(), tokensPair->end());
    return result;
}

std::vector<std::string> BertProcessing::postProcess(const std::vector<std::string>& tokens,
                                                     const std::optional<std::vector<std::string>>& tokensPair,
                                                     bool addSpecialTokens) const
{
    if (!addSpecialTokens)
        return concatenated(tokens, tokensPair);
    std::vector<std::string> result{cls_.text};
    result.insert(result.end(), tokens.begin(), tokens.end());
    result.push_back(sep_.text);
    if (tokensPair && !tokensPair->empty()) {
        result.insert(result.end(), tokensPair->begin(), tokensPair->end());
        result.push_back(sep_.text);
    }
    return result;
}

} // namespace Tokenizers

#include "Tokenizers/Decoders/MetaspaceDecoder.h"

#include "Platform/Text/CanonicalSearch.h"

namespace Tokenizers {

std::vector<std::string> MetaspaceDecoder::decode(const std::vector<std::string>& tokens) const
{
    std::vector<std::string> decoded;
    decoded.reserve(tokens.size());
    for (const std::string& token : tokens)
        decoded.push_back(Platform::replacingCanonicalMatches(token, replacement_, " "));
    if (addPrefixSpace_ && !decoded.empty() && decoded.front().starts_with(' '))
        decoded.front().erase(0, 1);
    return decoded;
}

} // namespace Tokenizers

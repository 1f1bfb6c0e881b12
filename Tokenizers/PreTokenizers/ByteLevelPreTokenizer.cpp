#include "Tokenizers/PreTokenizers/ByteLevelPreTokenizer.h"

#include "Tokenizers/Models/BPE/ByteLevelAlphabet.h"
#include "Tokenizers/Splitting/StringSplitting.h"

namespace Tokenizers {
namespace {

std::string byteLevelText(std::string_view piece, bool addPrefixSpace)
{
    const std::array<std::string, 256>& alphabet = byteEncoder();
    std::string text;
    text.reserve(piece.size() * 2 + 2);
    if (addPrefixSpace && !piece.starts_with(' '))
        text += alphabet[' '];
    for (char byte : piece)
        text += alphabet[static_cast<unsigned char>(byte)];
    return text;
}

} // namespace

ByteLevelPreTokenizer::ByteLevelPreTokenizer(const Hub::Config& config)
    : addPrefixSpace_(config.member("addPrefixSpace").boolean(false)),
      useRegex_(config.member("useRegex").boolean(true)), re_(RE)
{
}

std::vector<std::string> ByteLevelPreTokenizer::preTokenize(std::string_view text, const PreTokenizerOptions&) const
{
    if (!useRegex_)
        return {byteLevelText(text, addPrefixSpace_)};
    std::vector<std::string> pieces;
    for (const Platform::TextRange& range : ranges(text, re_))
        pieces.push_back(byteLevelText(text.substr(range.begin, range.end - range.begin), addPrefixSpace_));
    return pieces;
}

} // namespace Tokenizers

#include "Tokenizers/Models/BPE/BPETokenizer.h"

#include "Platform/Text/Format.h"
#include "Tokenizers/ConfigurationError.h"
#include "Tokenizers/StageConfig.h"
#include "Tokenizers/TokenizerError.h"

namespace Tokenizers {
namespace {

std::vector<std::vector<std::string>> requiredMerges(const Hub::Config& model)
{
    std::optional<std::vector<std::vector<std::string>>> merges =
        BPETokenizer::mergesFromConfig(model.member("merges"));
    if (!merges)
        throw ConfigurationError("BPETokenizer requires merges", {"model", "merges"});
    return std::move(*merges);
}

std::vector<std::string> splitAtSpaces(std::string_view text, bool keepEmpty)
{
    std::vector<std::string> pieces;
    for (std::size_t start = 0;;) {
        const std::size_t space = text.find(' ', start);
        const std::string_view piece = text.substr(start, space == std::string_view::npos ? space : space - start);
        if (keepEmpty || !piece.empty())
            pieces.emplace_back(piece);
        if (space == std::string_view::npos)
            return pieces;
        start = space + 1;
    }
}

} // namespace

BPETokenizer::BPETokenizer(const Hub::Config& tokenizerConfig, const Hub::Config& tokenizerData,
                           const AddedTokenIds& addedTokens)
    : BPETokenizer(tokenizerConfig, read(tokenizerData, addedTokens))
{
}

BPETokenizer::BPETokenizer(const Hub::Config& tokenizerConfig, Parts parts)
    : VocabularyModel(std::move(parts.tokensToIds), tokenContent(tokenizerConfig.member("bosToken")),
                      tokenContent(tokenizerConfig.member("eosToken")),
                      tokenContent(tokenizerConfig.member("unkToken")),
                      tokenizerConfig.member("fuseUnk").boolean(false)),
      bpeRanks_(std::move(parts.ranks))
{
}

BPETokenizer::Parts BPETokenizer::read(const Hub::Config& tokenizerData, const AddedTokenIds& addedTokens)
{
    const Hub::Config model = tokenizerData.member("model");
    Parts parts{MergeRanks(requiredMerges(model)), {}};
    const Hub::Config vocab = model.member("vocab");
    const auto* entries = std::get_if<std::shared_ptr<const Hub::Config::Dictionary>>(&vocab.value().storage());
    if (!entries)
        throw TokenizerError::missingVocab();
    parts.tokensToIds.reserve((*entries)->size() + addedTokens.size());
    for (const auto& [key, value] : **entries)
        if (const std::optional<int> id = tokenId(value))
            parts.tokensToIds[key.string()] = *id;
    for (const auto& [text, id] : addedTokens)
        parts.tokensToIds[text] = id;
    return parts;
}

std::optional<std::vector<std::vector<std::string>>> BPETokenizer::mergesFromConfig(const Hub::Config& merges)
{
    const std::optional<Hub::Config::Array> elements = merges.array();
    if (!elements)
        return std::nullopt;
    std::vector<std::vector<std::string>> entries;
    entries.reserve(elements->size());
    for (const Hub::Config& element : *elements) {
        if (std::optional<std::vector<std::string>> pieces = element.get<std::vector<std::string>>())
            entries.push_back(std::move(*pieces));
        else if (const std::optional<std::string> text = element.string())
            entries.push_back(splitAtSpaces(*text, true));
    }
    return entries;
}

std::vector<std::string> BPETokenizer::hexaEncode(std::string_view text)
{
    std::vector<std::string> tokens;
    tokens.reserve(text.size());
    for (char byte : text)
        tokens.push_back(Platform::formatted("<0x%02X>", static_cast<unsigned>(static_cast<unsigned char>(byte))));
    return tokens;
}

std::string BPETokenizer::bpe(std::string_view token) const
{
    std::string joined;
    for (const std::string& piece : mergedPieces(token, bpeRanks_)) {
        if (!joined.empty())
            joined += ' ';
        joined += piece;
    }
    return joined;
}

std::vector<std::string> BPETokenizer::tokenize(std::string_view text) const
{
    std::vector<std::string> tokens;
    for (std::string& piece : splitAtSpaces(bpe(text), false)) {
        const std::optional<int> id = vocabulary()->id(piece);
        if (id && id != unknownTokenId()) {
            tokens.push_back(std::move(piece));
        } else {
            std::vector<std::string> bytes = hexaEncode(piece);
            tokens.insert(tokens.end(), std::make_move_iterator(bytes.begin()), std::make_move_iterator(bytes.end()));
        }
    }
    return tokens;
}

} // namespace Tokenizers

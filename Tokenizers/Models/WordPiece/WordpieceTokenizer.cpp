#include "Tokenizers/Models/WordPiece/WordpieceTokenizer.h"

#include "Platform/Text/Graphemes.h"

namespace Tokenizers {

WordpieceTokenizer::WordpieceTokenizer(std::shared_ptr<const VocabularyTable> vocab) : vocab_(std::move(vocab)) {}

std::vector<std::string> WordpieceTokenizer::tokenize(std::string_view word) const
{
    const std::vector<std::string_view> characters = Platform::graphemeClusters(word);
    if (characters.size() > maxInputCharsPerWord)
        return {std::string(unkToken)};
    // Byte offsets of the character boundaries, so that a piece is a view.
    std::vector<std::size_t> boundaries;
    boundaries.reserve(characters.size() + 1);
    for (std::string_view character : characters)
        boundaries.push_back(static_cast<std::size_t>(character.data() - word.data()));
    boundaries.push_back(word.size());

    std::vector<std::string> pieces;
    for (std::size_t start = 0; start < characters.size();) {
        std::size_t end = characters.size();
        std::string candidate;
        for (;; --end) {
            if (end == start)
                return {std::string(unkToken)};
            candidate = start > 0 ? "##" : "";
            candidate += word.substr(boundaries[start], boundaries[end] - boundaries[start]);
            if (vocab_->contains(candidate))
                break;
        }
        pieces.push_back(std::move(candidate));
        start = end;
    }
    return pieces;
}

} // namespace Tokenizers

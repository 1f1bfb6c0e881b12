#include "Tokenizers/PreTokenizers/PreTokenizer.h"

namespace Tokenizers {

std::vector<std::string> PreTokenizer::preTokenize(const std::vector<std::string>& texts,
                                                   const PreTokenizerOptions& options) const
{
    std::vector<std::string> pieces;
    for (const std::string& text : texts) {
        std::vector<std::string> more = preTokenize(text, options);
        pieces.insert(pieces.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    }
    return pieces;
}

} // namespace Tokenizers

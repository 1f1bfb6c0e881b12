#include "Tokenizers/PreTokenizers/PreTokenizerSequence.h"

#include "Tokenizers/PreTokenizers/PreTokenizerFactory.h"
#include "Tokenizers/StageConfig.h"

namespace Tokenizers {

PreTokenizerSequence::PreTokenizerSequence(const Hub::Config& config)
    : preTokenizers_(buildSequence<PreTokenizer>(config, "pretokenizers", "No pretokenizers in Sequence",
                                                 &PreTokenizerFactory::fromConfig))
{
}

std::vector<std::string> PreTokenizerSequence::preTokenize(std::string_view text,
                                                           const PreTokenizerOptions& options) const
{
    std::vector<std::string> pieces{std::string(text)};
    for (const std::unique_ptr<PreTokenizer>& preTokenizer : preTokenizers_)
        pieces = (*preTokenizer)(pieces, options);
    return pieces;
}

} // namespace Tokenizers

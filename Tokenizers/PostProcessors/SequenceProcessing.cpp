#include "Tokenizers/PostProcessors/SequenceProcessing.h"

#include "Tokenizers/PostProcessors/PostProcessorFactory.h"
#include "Tokenizers/StageConfig.h"

namespace Tokenizers {

SequenceProcessing::SequenceProcessing(const Hub::Config& config)
    : processors_(buildSequence<PostProcessor>(config, "processors", "Missing `processors` configuration",
                                               &PostProcessorFactory::fromConfig))
{
}

std::vector<std::string> SequenceProcessing::postProcess(const std::vector<std::string>& tokens,
                                                         const std::optional<std::vector<std::string>>& tokensPair,
                                                         bool addSpecialTokens) const
{
    std::vector<std::string> result = tokens;
    bool first = true;
    for (const std::unique_ptr<PostProcessor>& processor : processors_) {
        result = (*processor)(result, first ? tokensPair : std::nullopt, addSpecialTokens);
        first = false;
    }
    return result;
}

} // namespace Tokenizers

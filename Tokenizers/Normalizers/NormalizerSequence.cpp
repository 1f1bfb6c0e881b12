#include "Tokenizers/Normalizers/NormalizerSequence.h"

#include "Tokenizers/Normalizers/NormalizerFactory.h"
#include "Tokenizers/StageConfig.h"

namespace Tokenizers {

NormalizerSequence::NormalizerSequence(const Hub::Config& config)
    : normalizers_(buildSequence<Normalizer>(config, "normalizers", "No normalizers in Sequence",
                                             &NormalizerFactory::fromConfig))
{
}

std::string NormalizerSequence::normalize(std::string_view text) const
{
    std::string result(text);
    for (const std::unique_ptr<Normalizer>& normalizer : normalizers_)
        result = (*normalizer)(result);
    return result;
}

} // namespace Tokenizers

#include "Tokenizers/Decoders/DecoderSequence.h"

#include "Tokenizers/Decoders/DecoderFactory.h"
#include "Tokenizers/StageConfig.h"

namespace Tokenizers {

DecoderSequence::DecoderSequence(const Hub::Config& config)
    : decoders_(buildSequence<Decoder>(config, "decoders", "No decoders in Sequence",
                                       [](const Hub::Config& element) { return DecoderFactory::fromConfig(element); }))
{
}

std::vector<std::string> DecoderSequence::decode(const std::vector<std::string>& tokens) const
{
    std::vector<std::string> result = tokens;
    for (const std::unique_ptr<Decoder>& decoder : decoders_)
        result = (*decoder)(result);
    return result;
}

} // namespace Tokenizers

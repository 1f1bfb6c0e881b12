#include "Tokenizers/PostProcessors/PostProcessorFactory.h"

#include "Tokenizers/PostProcessors/BertProcessing.h"
#include "Tokenizers/PostProcessors/ByteLevelPostProcessor.h"
#include "Tokenizers/PostProcessors/RobertaProcessing.h"
#include "Tokenizers/PostProcessors/SequenceProcessing.h"
#include "Tokenizers/PostProcessors/TemplateProcessing.h"
#include "Tokenizers/StageConfig.h"

namespace Tokenizers::PostProcessorFactory {
namespace {

template <class Member>
std::unique_ptr<PostProcessor> make(const Hub::Config& config)
{
    return std::make_unique<Member>(config);
}

const StageTable<PostProcessor> types = {
    {"TemplateProcessing", &make<TemplateProcessing>}, {"ByteLevel", &make<ByteLevelPostProcessor>},
    {"RobertaProcessing", &make<RobertaProcessing>},   {"BertProcessing", &make<BertProcessing>},
    {"Sequence", &make<SequenceProcessing>},
};

} // namespace

std::unique_ptr<PostProcessor> fromConfig(const Hub::Config& config)
{
    return buildStage(config, types, "PostProcessor");
}

} // namespace Tokenizers::PostProcessorFactory

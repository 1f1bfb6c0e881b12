#include "Tokenizers/PostProcessors/PostProcessorFactory.h"

#include "Tokenizers/PostProcessors/BertProcessing.h"
#include "Tokenizers/PostProcessors/ByteLevelPostProcessor.h"
#include "Tokenizers/PostProcessors/RobertaProcessing.h"
#include "Tokenizers/PostProcessors/SequenceProcessing.h"
#include "Tokenizers/PostProcessors/TemplateProcessing.h"
#include "Tokenizers/StageConfig.h"

namespace Tokenizers::PostProcessorFactory {
namespace {

const StageTable<PostProcessor> types = {
    {"TemplateProcessing", &construct<PostProcessor, TemplateProcessing>},
    {"ByteLevel", &construct<PostProcessor, ByteLevelPostProcessor>},
    {"RobertaProcessing", &construct<PostProcessor, RobertaProcessing>},
    {"BertProcessing", &construct<PostProcessor, BertProcessing>},
    {"Sequence", &construct<PostProcessor, SequenceProcessing>},
};

} // namespace

std::unique_ptr<PostProcessor> fromConfig(const Hub::Config& config)
{
    return buildStage(config, types, "PostProcessor");
}

} // namespace Tokenizers::PostProcessorFactory

#include "Tokenizers/PreTokenizers/PreTokenizerFactory.h"

#include "Tokenizers/PreTokenizers/ByteLevelPreTokenizer.h"
#include "Tokenizers/PreTokenizers/MetaspacePreTokenizer.h"
#include "Tokenizers/PreTokenizers/PatternPreTokenizers.h"
#include "Tokenizers/PreTokenizers/PreTokenizerSequence.h"
#include "Tokenizers/PreTokenizers/SplitPreTokenizer.h"
#include "Tokenizers/StageConfig.h"

namespace Tokenizers::PreTokenizerFactory {
namespace {

const StageTable<PreTokenizer> types = {
    {"Sequence", &construct<PreTokenizer, PreTokenizerSequence>},
    {"ByteLevel", &construct<PreTokenizer, ByteLevelPreTokenizer>},
    {"Punctuation", &construct<PreTokenizer, PunctuationPreTokenizer>},
    {"Digits", &construct<PreTokenizer, DigitsPreTokenizer>},
    {"Split", &construct<PreTokenizer, SplitPreTokenizer>},
    {"Whitespace", &construct<PreTokenizer, WhitespacePreTokenizer>},
    {"WhitespaceSplit", &construct<PreTokenizer, WhitespacePreTokenizer>},
    {"Metaspace", &construct<PreTokenizer, MetaspacePreTokenizer>},
    {"BertPreTokenizer", &construct<PreTokenizer, BertPreTokenizer>},
};

} // namespace

std::unique_ptr<PreTokenizer> fromConfig(const Hub::Config& config)
{
    return buildStage(config, types, "PreTokenizer");
}

} // namespace Tokenizers::PreTokenizerFactory

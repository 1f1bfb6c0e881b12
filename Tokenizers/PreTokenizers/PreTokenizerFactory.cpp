#include "Tokenizers/PreTokenizers/PreTokenizerFactory.h"

#include "Tokenizers/PreTokenizers/ByteLevelPreTokenizer.h"
#include "Tokenizers/PreTokenizers/MetaspacePreTokenizer.h"
#include "Tokenizers/PreTokenizers/PatternPreTokenizers.h"
#include "Tokenizers/PreTokenizers/PreTokenizerSequence.h"
#include "Tokenizers/PreTokenizers/SplitPreTokenizer.h"
#include "Tokenizers/StageConfig.h"

namespace Tokenizers::PreTokenizerFactory {
namespace {

template <class Member>
std::unique_ptr<PreTokenizer> make(const Hub::Config& config)
{
    return std::make_unique<Member>(config);
}

const StageTable<PreTokenizer> types = {
    {"Sequence", &make<PreTokenizerSequence>},
    {"ByteLevel", &make<ByteLevelPreTokenizer>},
    {"Punctuation", &make<PunctuationPreTokenizer>},
    {"Digits", &make<DigitsPreTokenizer>},
    {"Split", &make<SplitPreTokenizer>},
    {"Whitespace", &make<WhitespacePreTokenizer>},
    {"WhitespaceSplit", &make<WhitespacePreTokenizer>},
    {"Metaspace", &make<MetaspacePreTokenizer>},
    {"BertPreTokenizer", &make<BertPreTokenizer>},
};

} // namespace

std::unique_ptr<PreTokenizer> fromConfig(const Hub::Config& config)
{
    return buildStage(config, types, "PreTokenizer");
}

} // namespace Tokenizers::PreTokenizerFactory

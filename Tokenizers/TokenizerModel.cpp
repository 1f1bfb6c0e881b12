#include "Tokenizers/TokenizerModel.h"

#include "Tokenizers/Models/BPE/BPETokenizer.h"
#include "Tokenizers/Models/Unigram/UnigramTokenizer.h"
#include "Tokenizers/Models/WordPiece/BertTokenizer.h"

namespace Tokenizers::TokenizerModel {
namespace {

template <class Model>
std::unique_ptr<PreTrainedTokenizerModel> make(const Hub::Config& tokenizerConfig, const Hub::Config& tokenizerData,
                                               const AddedTokenIds& addedTokens)
{
    return std::make_unique<Model>(tokenizerConfig, tokenizerData, addedTokens);
}

} // namespace

const std::map<std::string_view, ModelConstructor>& knownTokenizers()
{
    static const std::map<std::string_view, ModelConstructor> table = {
        {"BertTokenizer", make<BertTokenizer>},          {"CodeGenTokenizer", make<BPETokenizer>},
        {"CodeLlamaTokenizer", make<BPETokenizer>},      {"CohereTokenizer", make<BPETokenizer>},
        {"DistilbertTokenizer", make<BertTokenizer>},    {"DistilBertTokenizer", make<BertTokenizer>},
        {"FalconTokenizer", make<BPETokenizer>},         {"GemmaTokenizer", make<BPETokenizer>},
        {"GPT2Tokenizer", make<BPETokenizer>},           {"LlamaTokenizer", make<BPETokenizer>},
        {"RobertaTokenizer", make<BPETokenizer>},        {"T5Tokenizer", make<T5Tokenizer>},
        {"TokenizersBackend", make<BPETokenizer>},       {"PreTrainedTokenizer", make<BPETokenizer>},
        {"Qwen2Tokenizer", make<BPETokenizer>},          {"WhisperTokenizer", make<BPETokenizer>},
        {"XLMRobertaTokenizer", make<UnigramTokenizer>}, {"Xlm-RobertaTokenizer", make<UnigramTokenizer>},
    };
    return table;
}

} // namespace Tokenizers::TokenizerModel

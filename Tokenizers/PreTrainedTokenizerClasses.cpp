#include "Tokenizers/PreTrainedTokenizerClasses.h"

#include "Tokenizers/LlamaPreTrainedTokenizer.h"

namespace Tokenizers::PreTrainedTokenizerClasses {
namespace {

template <class Class>
std::unique_ptr<PreTrainedTokenizer> make(const Hub::Config& tokenizerConfig, const Hub::Config& tokenizerData,
                                          bool strict)
{
    return std::make_unique<Class>(tokenizerConfig, tokenizerData, strict);
}

} // namespace

const std::map<std::string_view, TokenizerConstructor>& tokenizerClasses()
{
    static const std::map<std::string_view, TokenizerConstructor> table = {
        {"LlamaTokenizer", make<LlamaPreTrainedTokenizer>},
    };
    return table;
}

TokenizerConstructor tokenizerClass(const Hub::Config& tokenizerConfig)
{
    if (const std::optional<std::string> name = tokenizerConfig.member("tokenizerClass").string()) {
        const auto found = tokenizerClasses().find(withoutFast(*name));
        if (found != tokenizerClasses().end())
            return found->second;
    }
    return make<PreTrainedTokenizer>;
}

} // namespace Tokenizers::PreTrainedTokenizerClasses

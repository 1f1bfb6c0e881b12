#include "Tokenizers/LlamaPreTrainedTokenizer.h"

#include "Tokenizers/PostProcessors/PostProcessorFactory.h"
#include "Tokenizers/PostProcessors/TemplateProcessing.h"
#include "Tokenizers/StageConfig.h"
#include "Tokenizers/TokenizerError.h"

namespace Tokenizers {
namespace {

constexpr std::string_view wordMarker = "\u2581";

Hub::Config templateItem(std::string_view kind, const std::string& id, int typeId)
{
    return Hub::Config::KeyValuePairs{
        {Hub::BinaryDistinctString(kind), Hub::Config::KeyValuePairs{{"id", id}, {"type_id", typeId}}}};
}

// The template items of one sequence: the beginning token, the sequence and
// the end token, each token only when asked for.
void appendItems(Hub::Config::Array& items, const std::optional<std::string>& bos, const std::string& sequence,
                 const std::optional<std::string>& eos, int typeId)
{
    if (bos)
        items.push_back(templateItem("SpecialToken", *bos, typeId));
    items.push_back(templateItem("Sequence", sequence, typeId));
    if (eos)
        items.push_back(templateItem("SpecialToken", *eos, typeId));
}

std::optional<std::string> requestedToken(const Hub::Config& tokenizerConfig, std::string_view addKey,
                                          std::string_view tokenKey, const std::string& missingMessage)
{
    if (!tokenizerConfig.member(addKey).boolean(false))
        return std::nullopt;
    std::optional<std::string> token = tokenContent(tokenizerConfig.member(tokenKey));
    if (!token)
        throw TokenizerError::mismatchedConfig(missingMessage);
    return token;
}

bool legacyOf(const Hub::Config& tokenizerConfig)
{
    return tokenizerConfig.member("legacy").boolean(true);
}

Hub::Config rewrittenData(const Hub::Config& tokenizerConfig, const Hub::Config& tokenizerData)
{
    Hub::Config::Dictionary data = tokenizerData.dictionary(Hub::Config::Dictionary{});
    if (!legacyOf(tokenizerConfig)) {
        data.erase(Hub::BinaryDistinctString("normalizer"));
        data[Hub::BinaryDistinctString("pre_tokenizer")] = Hub::Config::KeyValuePairs{
            {"type", "Metaspace"},
            {"replacement", std::string(wordMarker)},
            {"add_prefix_space", true},
            {"prepend_scheme", "first"},
        };
    }
    if (std::optional<Hub::Config> processor =
            maybeUpdatePostProcessor(tokenizerConfig, tokenizerData.member("postProcessor")))
        data[Hub::BinaryDistinctString("post_processor")] = std::move(*processor);
    return data;
}

} // namespace

std::optional<Hub::Config> maybeUpdatePostProcessor(const Hub::Config& tokenizerConfig,
                                                    const Hub::Config& processorConfig)
{
    const std::unique_ptr<PostProcessor> processor = PostProcessorFactory::fromConfig(processorConfig);
    if (dynamic_cast<const TemplateProcessing*>(processor.get()))
        return std::nullopt;
    const std::optional<std::string> bos =
        requestedToken(tokenizerConfig, "addBosToken", "bosToken", "add_bos_token is True but bos_token is nil");
    const std::optional<std::string> eos =
        requestedToken(tokenizerConfig, "addEosToken", "eosToken", "add_eos_token is True but eos_token is nil");
    Hub::Config::Array single;
    appendItems(single, bos, "A", eos, 0);
    Hub::Config::Array pair = single;
    appendItems(pair, bos, "B", eos, 1);
    return Hub::Config::KeyValuePairs{{"type", "TemplateProcessing"}, {"single", single}, {"pair", pair}};
}

LlamaPreTrainedTokenizer::LlamaPreTrainedTokenizer(const Hub::Config& tokenizerConfig, const Hub::Config& tokenizerData,
                                                   bool strict)
    : PreTrainedTokenizer(tokenizerConfig, rewrittenData(tokenizerConfig, tokenizerData), strict),
      isLegacy_(legacyOf(tokenizerConfig))
{
}

std::vector<std::string> LlamaPreTrainedTokenizer::tokenize(std::string_view text) const
{
    if (isLegacy_ || text.empty())
        return PreTrainedTokenizer::tokenize(text);
    std::string marked(wordMarker);
    for (std::size_t start = 0;;) {
        const std::size_t found = text.find(wordMarker, start);
        marked += text.substr(start, found == std::string_view::npos ? found : found - start);
        if (found == std::string_view::npos)
            break;
        marked += ' ';
        start = found + wordMarker.size();
    }
    std::vector<std::string> tokens = PreTrainedTokenizer::tokenize(marked);
    // The marker in front of a leading special token makes no token of its own.
    if (tokens.size() >= 2 && tokens[0] == wordMarker && specialTokens().contains(tokens[1]))
        tokens.erase(tokens.begin());
    return tokens;
}

} // namespace Tokenizers

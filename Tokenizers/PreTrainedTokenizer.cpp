#include "Tokenizers/PreTrainedTokenizer.h"

#include "Platform/Log/Log.h"
#include "Tokenizers/Decoders/DecoderFactory.h"
#include "Tokenizers/Models/BPE/BPETokenizer.h"
#include "Tokenizers/Normalizers/NormalizerFactory.h"
#include "Tokenizers/PostProcessors/PostProcessorFactory.h"
#include "Tokenizers/PreTokenizers/PreTokenizerFactory.h"
#include "Tokenizers/StageConfig.h"
#include "Tokenizers/TokenizerError.h"
#include "Tokenizers/TokenizerModel.h"

#include <array>
#include <utility>

namespace Tokenizers {
namespace {

// Entries without an integer id or a text content are no added tokens, but
// a content without id still joins the split pattern.
struct AddedTokenEntries {
    AddedTokenIds ids;
    std::unordered_map<std::string, int> special;
    std::vector<AddedTokensPattern::Record> records;
};

AddedTokenEntries addedTokenEntries(const Hub::Config& tokenizerData)
{
    AddedTokenEntries entries;
    for (const Hub::Config& entry : tokenizerData.member("addedTokens").array(Hub::Config::Array{})) {
        const std::optional<std::string> content = entry.member("content").string();
        if (!content)
            continue;
        if (const std::optional<int> id = tokenId(entry.member("id"))) {
            entries.ids[*content] = *id;
            if (entry.member("special").boolean(false))
                entries.special[*content] = *id;
        }
        entries.records.push_back(
            {*content, entry.member("lstrip").boolean(false), entry.member("rstrip").boolean(false)});
    }
    return entries;
}

std::unique_ptr<PreTrainedTokenizerModel> modelFor(const Hub::Config& tokenizerConfig, const Hub::Config& tokenizerData,
                                                   const AddedTokenIds& addedTokens, bool strict)
{
    const std::optional<std::string> className = tokenizerConfig.member("tokenizerClass").string();
    if (!className)
        throw TokenizerError::missingTokenizerClassInConfig();
    const std::string name = withoutFast(*className);
    const auto& table = TokenizerModel::knownTokenizers();
    if (const auto found = table.find(name); found != table.end())
        return found->second(tokenizerConfig, tokenizerData, addedTokens);
    if (strict)
        throw TokenizerError::unsupportedTokenizer(name);
    Platform::printLine("Warning: Tokenizer model class " + name +
                        " is not registered, falling back to a standard BPE implementation.");
    return std::make_unique<BPETokenizer>(tokenizerConfig, tokenizerData, addedTokens);
}

std::string replacingAll(std::string text, std::string_view target, std::string_view replacement)
{
    for (std::size_t found = 0; (found = text.find(target, found)) != std::string::npos; found += replacement.size())
        text.replace(found, target.size(), replacement);
    return text;
}

} // namespace

std::string withoutFast(std::string className)
{
    for (std::size_t found; (found = className.find("Fast")) != std::string::npos;)
        className.erase(found, 4);
    return className;
}

PreTrainedTokenizer::PreTrainedTokenizer(const Hub::Config& tokenizerConfig, const Hub::Config& tokenizerData,
                                         bool strict)
{
    AddedTokenEntries entries = addedTokenEntries(tokenizerData);
    if (!entries.records.empty())
        addedTokensPattern_.emplace(std::move(entries.records));
    if (addedTokensPattern_ && addedTokensPattern_->isEmpty())
        addedTokensPattern_.reset();
    specialTokens_ = std::move(entries.special);
    for (const auto& [content, id] : entries.ids)
        addedTokens_.insert(content);

    preTokenizer_ = buildingAt("pre_tokenizer",
                               [&] { return PreTokenizerFactory::fromConfig(tokenizerData.member("preTokenizer")); });
    normalizer_ =
        buildingAt("normalizer", [&] { return NormalizerFactory::fromConfig(tokenizerData.member("normalizer")); });
    postProcessor_ = buildingAt(
        "post_processor", [&] { return PostProcessorFactory::fromConfig(tokenizerData.member("postProcessor")); });
    decoder_ = buildingAt("decoder",
                          [&] { return DecoderFactory::fromConfig(tokenizerData.member("decoder"), addedTokens_); });

    cleanUpTokenizationSpaces_ = tokenizerConfig.member("cleanUpTokenizationSpaces").boolean(true);
    tokenizerConfig_ = tokenizerConfig;
    model_ = modelFor(tokenizerConfig, tokenizerData, entries.ids, strict);
}

bool PreTrainedTokenizer::hasChatTemplate() const
{
    return !tokenizerConfig_.member("chatTemplate").isNull();
}

std::vector<std::string> PreTrainedTokenizer::preTokenize(std::string_view text,
                                                          const PreTokenizerOptions& options) const
{
    if (!preTokenizer_)
        return {std::string(text)};
    return preTokenizer_->preTokenize(text, options);
}

std::string PreTrainedTokenizer::normalize(std::string_view text) const
{
    return normalizer_ ? normalizer_->normalize(text) : std::string(text);
}

std::vector<std::string> PreTrainedTokenizer::postProcess(const std::vector<std::string>& tokens,
                                                          bool addSpecialTokens) const
{
    return postProcessor_ ? postProcessor_->postProcess(tokens, std::nullopt, addSpecialTokens) : tokens;
}

std::vector<std::string> PreTrainedTokenizer::decodeTokens(const std::vector<std::string>& tokens) const
{
    return decoder_ ? decoder_->decode(tokens) : tokens;
}

std::string PreTrainedTokenizer::cleanUp(std::string_view text) const
{
    if (!cleanUpTokenizationSpaces_)
        return std::string(text);
    constexpr std::array<std::pair<std::string_view, std::string_view>, 10> replacements = {{
        {" .", "."},
        {" ?", "?"},
        {" !", "!"},
        {" ,", ","},
        {" ' ", "'"},
        {" n't", "n't"},
        {" 'm", "'m"},
        {" 's", "'s"},
        {" 've", "'ve"},
        {" 're", "'re"},
    }};
    std::string cleaned(text);
    for (const auto& [target, replacement] : replacements)
        cleaned = replacingAll(std::move(cleaned), target, replacement);
    return cleaned;
}

std::vector<std::string> PreTrainedTokenizer::fuseUnknown(std::vector<std::string> tokens) const
{
    if (!model_->fuseUnknownTokens())
        return tokens;
    const std::optional<int> unknownId = model_->unknownTokenId();
    std::vector<std::string> fused;
    bool previousIsUnknown = false;
    for (std::string& token : tokens) {
        const bool isUnknown = model_->convertTokenToId(token) == unknownId;
        if (!(isUnknown && previousIsUnknown))
            fused.push_back(std::move(token));
        previousIsUnknown = isUnknown;
    }
    return fused;
}

std::vector<std::string> PreTrainedTokenizer::tokenize(std::string_view text) const
{
    const std::vector<std::string_view> sections =
        addedTokensPattern_ ? addedTokensPattern_->split(text) : std::vector<std::string_view>{text};
    std::vector<std::string> tokens;
    for (std::size_t index = 0; index < sections.size(); ++index) {
        const std::string_view section = sections[index];
        if (addedTokens_.contains(std::string(section))) {
            tokens.emplace_back(section);
            continue;
        }
        const PreTokenizerOptions options =
            index == 0 ? PreTokenizerOptions{PreTokenizerOption::firstSection} : PreTokenizerOptions{};
        std::vector<std::string> sectionTokens;
        for (const std::string& preToken : preTokenize(normalize(section), options))
            for (std::string& token : model_->tokenize(preToken))
                sectionTokens.push_back(std::move(token));
        for (std::string& token : fuseUnknown(std::move(sectionTokens)))
            tokens.push_back(std::move(token));
    }
    return tokens;
}

std::vector<int> PreTrainedTokenizer::encode(std::string_view text, bool addSpecialTokens) const
{
    std::vector<int> ids;
    for (const std::string& token : postProcess(tokenize(text), addSpecialTokens)) {
        const std::optional<int> id = model_->convertTokenToId(token);
        if (!id)
            throw TokenizerError::tokenWithoutId(token);
        ids.push_back(*id);
    }
    return ids;
}

std::string PreTrainedTokenizer::decode(std::span<const int> tokens, bool skipSpecialTokens) const
{
    std::set<int> skipped;
    if (skipSpecialTokens)
        for (const auto& [content, id] : specialTokens_)
            skipped.insert(id);
    std::vector<std::string> texts;
    texts.reserve(tokens.size());
    for (int id : tokens)
        if (!skipped.contains(id))
            if (std::optional<std::string> token = model_->convertIdToToken(id))
                texts.push_back(std::move(*token));
    std::string text;
    for (const std::string& piece : decodeTokens(texts))
        text += piece;
    return cleanUp(text);
}

} // namespace Tokenizers

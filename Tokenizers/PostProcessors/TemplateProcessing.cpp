#include "Tokenizers/PostProcessors/TemplateProcessing.h"

#include "Tokenizers/ConfigurationError.h"

namespace Tokenizers {
namespace {

TemplateProcessing::Item item(const Hub::Config& config)
{
    if (std::optional<std::string> special = config.member("SpecialToken").member("id").string())
        return TemplateProcessing::SpecialTokenItem{std::move(*special)};
    const std::optional<std::string> sequence = config.member("Sequence").member("id").string();
    if (sequence == "A")
        return TemplateProcessing::SequenceItem::a;
    if (sequence == "B")
        return TemplateProcessing::SequenceItem::b;
    return TemplateProcessing::Nothing{};
}

std::vector<TemplateProcessing::Item> requiredTemplate(const Hub::Config& config, const std::string& key)
{
    const std::optional<Hub::Config::Array> items = config.member(key).array();
    if (!items)
        throw ConfigurationError("Missing `" + key + "` processor configuration", {key});
    std::vector<TemplateProcessing::Item> result;
    result.reserve(items->size());
    for (const Hub::Config& element : *items)
        result.push_back(item(element));
    return result;
}

} // namespace

TemplateProcessing::TemplateProcessing(const Hub::Config& config)
    : single_(requiredTemplate(config, "single")), pair_(requiredTemplate(config, "pair"))
{
}

std::vector<std::string> TemplateProcessing::postProcess(const std::vector<std::string>& tokens,
                                                         const std::optional<std::vector<std::string>>& tokensPair,
                                                         bool addSpecialTokens) const
{
    std::vector<std::string> result;
    for (const Item& entry : tokensPair ? pair_ : single_) {
        if (const auto* special = std::get_if<SpecialTokenItem>(&entry)) {
            if (addSpecialTokens)
                result.push_back(special->text);
        } else if (const auto* sequence = std::get_if<SequenceItem>(&entry)) {
            // "B" with no pair has nothing to add.
            const std::vector<std::string>* source = *sequence == SequenceItem::a ? &tokens
                                                     : tokensPair                 ? &*tokensPair
                                                                                  : nullptr;
            if (source)
                result.insert(result.end(), source->begin(), source->end());
        }
    }
    return result;
}

} // namespace Tokenizers

// The pretrained tokenizer's chat templates: which source to render, the
// variables a template sees, rendering, encoding and truncating the ids.
#include "Tokenizers/PreTrainedTokenizer.h"

#include "Tokenizers/TokenizerError.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace Tokenizers {
namespace {

using Context = std::map<std::string, std::any>;

// The configuration's templates by name. A name given twice leaves no way to
// tell which template was meant, so the configuration is refused.
std::unordered_map<std::string, std::string> namedTemplates(const Hub::Config::Array& entries)
{
    std::unordered_map<std::string, std::string> templates;
    for (const Hub::Config& entry : entries) {
        if (entry.value().kind() != Hub::Config::Data::Case::dictionary)
            continue;
        const std::optional<std::string> name = entry.member("name").string();
        const std::optional<std::string> source = entry.member("template").string();
        if (!name || !source)
            continue;
        if (!templates.emplace(*name, *source).second)
            throw TokenizerError::chatTemplate("Duplicate chat template name \"" + *name +
                                               "\" in the tokenizer config");
    }
    return templates;
}

std::string templateSource(const Hub::Config& tokenizerConfig, const std::optional<ChatTemplateArgument>& argument,
                           const std::optional<std::vector<ToolSpec>>& tools)
{
    if (argument && argument->kind() == ChatTemplateArgument::Kind::literal)
        return argument->text();
    const Hub::Config configured = tokenizerConfig.member("chatTemplate");
    if (const std::optional<std::string> source = configured.string())
        return *source;
    const std::optional<Hub::Config::Array> entries = configured.array();
    if (!entries)
        throw TokenizerError::missingChatTemplate();
    const std::unordered_map<std::string, std::string> templates = namedTemplates(*entries);
    if (argument) {
        const auto found = templates.find(argument->text());
        if (found == templates.end())
            throw TokenizerError::chatTemplate("No chat template named \"" + argument->text() +
                                               "\" was found in the tokenizer config");
        return found->second;
    }
    if (tools && !tools->empty())
        if (const auto toolUse = templates.find("tool_use"); toolUse != templates.end())
            return toolUse->second;
    if (const auto fallback = templates.find("default"); fallback != templates.end())
        return fallback->second;
    throw TokenizerError::missingChatTemplate();
}

// A text, a dictionary's text "content" (nothing without one), or a list's
// texts; any other kind is handed over as the configuration value itself,
// which the template language refuses, so that such a file fails every call.
std::optional<Jinja::Value> specialTokenValue(const Hub::Config& value)
{
    if (const std::optional<std::string> text = value.string())
        return Jinja::Value(*text);
    if (value.value().kind() == Hub::Config::Data::Case::dictionary) {
        if (const std::optional<std::string> content = value.member("content").string())
            return Jinja::Value(*content);
        return std::nullopt;
    }
    if (const std::optional<Hub::Config::Array> elements = value.array()) {
        Jinja::Array texts;
        for (const Hub::Config& element : *elements)
            if (const std::optional<std::string> text = element.string())
                texts.emplace_back(*text);
        return Jinja::Value(std::move(texts));
    }
    return Jinja::Value::fromAny(std::any(value));
}

// The keys as the file spells them: these are read without the snake_case
// retry of other configuration keys.
constexpr std::array<std::string_view, 8> specialTokenKeys = {
    "bos_token", "eos_token", "unk_token",  "sep_token",
    "pad_token", "cls_token", "mask_token", "additional_special_tokens",
};

Jinja::Template::Context templateVariables(const std::vector<Message>& messages, bool addGenerationPrompt,
                                           const std::optional<std::vector<ToolSpec>>& tools,
                                           const std::optional<Context>& additionalContext,
                                           const Hub::Config& tokenizerConfig)
{
    const auto listOf = [](const std::vector<std::map<std::string, std::any>>& maps) {
        Jinja::Array elements;
        elements.reserve(maps.size());
        for (const auto& map : maps)
            elements.push_back(Jinja::Value::fromAny(map));
        return Jinja::Value(std::move(elements));
    };
    Jinja::Template::Context variables;
    variables.insert_or_assign("messages", listOf(messages));
    variables.insert_or_assign("add_generation_prompt", Jinja::Value(addGenerationPrompt));
    if (tools)
        variables.insert_or_assign("tools", listOf(*tools));
    if (additionalContext)
        for (const auto& [key, value] : *additionalContext)
            variables.insert_or_assign(Jinja::String(key), Jinja::Value::fromAny(value));
    if (const auto* dictionary =
            std::get_if<std::shared_ptr<const Hub::Config::Dictionary>>(&tokenizerConfig.value().storage()))
        for (const std::string_view key : specialTokenKeys) {
            const auto found = (*dictionary)->find(Hub::BinaryDistinctString(key));
            if (found == (*dictionary)->end() || found->second.isNull())
                continue;
            if (std::optional<Jinja::Value> value = specialTokenValue(found->second))
                variables.insert_or_assign(Jinja::String(key), std::move(*value));
        }
    return variables;
}

std::int64_t checkedLength(std::int64_t length)
{
    if (length < 0)
        throw TokenizerError::chatTemplate("Invalid maximum length: " + std::to_string(length));
    return length;
}

// The first ids up to the smaller of the maximum length and the model's; a
// negative one of either cannot be honoured and fails.
std::vector<int> truncated(std::vector<int> ids, std::optional<int> maxLength, const Hub::Config& tokenizerConfig)
{
    std::int64_t limit = maxLength ? checkedLength(*maxLength) : static_cast<std::int64_t>(ids.size());
    if (const std::optional<std::int64_t> modelMaxLength = tokenizerConfig.member("modelMaxLength").integer())
        limit = std::min(limit, checkedLength(*modelMaxLength));
    if (static_cast<std::int64_t>(ids.size()) > limit)
        ids.resize(static_cast<std::size_t>(limit));
    return ids;
}

} // namespace

std::shared_ptr<const Jinja::Template> PreTrainedTokenizer::compiledTemplate(const std::string& source) const
{
    {
        const std::lock_guard lock(cacheLock_);
        if (const auto found = compiledChatTemplateCache_.find(source); found != compiledChatTemplateCache_.end())
            return found->second;
    }
    auto compiled = std::make_shared<const Jinja::Template>(source, Jinja::Template::Options{});
    ++chatTemplateCompilations_;
    const std::lock_guard lock(cacheLock_);
    return compiledChatTemplateCache_.try_emplace(source, std::move(compiled)).first->second;
}

std::vector<int> PreTrainedTokenizer::applyChatTemplate(const std::vector<Message>& messages) const
{
    return applyChatTemplate(messages, std::nullopt, true, false, std::nullopt, std::nullopt, std::nullopt);
}

std::vector<int> PreTrainedTokenizer::applyChatTemplate(const std::vector<Message>& messages,
                                                        const std::optional<std::vector<ToolSpec>>& tools) const
{
    return applyChatTemplate(messages, std::nullopt, true, false, std::nullopt, tools, std::nullopt);
}

std::vector<int> PreTrainedTokenizer::applyChatTemplate(const std::vector<Message>& messages,
                                                        const std::optional<std::vector<ToolSpec>>& tools,
                                                        const std::optional<Context>& additionalContext) const
{
    return applyChatTemplate(messages, std::nullopt, true, false, std::nullopt, tools, additionalContext);
}

std::vector<int> PreTrainedTokenizer::applyChatTemplate(const std::vector<Message>& messages,
                                                        const ChatTemplateArgument& chatTemplate) const
{
    return applyChatTemplate(messages, chatTemplate, true, false, std::nullopt, std::nullopt, std::nullopt);
}

std::vector<int> PreTrainedTokenizer::applyChatTemplate(const std::vector<Message>& messages,
                                                        std::string_view chatTemplate) const
{
    return applyChatTemplate(messages, ChatTemplateArgument::literal(std::string(chatTemplate)));
}

std::vector<int> PreTrainedTokenizer::applyChatTemplate(const std::vector<Message>& messages,
                                                        const std::optional<ChatTemplateArgument>& chatTemplate,
                                                        bool addGenerationPrompt, bool truncation,
                                                        std::optional<int> maxLength,
                                                        const std::optional<std::vector<ToolSpec>>& tools) const
{
    return applyChatTemplate(messages, chatTemplate, addGenerationPrompt, truncation, maxLength, tools, std::nullopt);
}

std::vector<int> PreTrainedTokenizer::applyChatTemplate(const std::vector<Message>& messages,
                                                        const std::optional<ChatTemplateArgument>& chatTemplate,
                                                        bool addGenerationPrompt, bool truncation,
                                                        std::optional<int> maxLength,
                                                        const std::optional<std::vector<ToolSpec>>& tools,
                                                        const std::optional<Context>& additionalContext) const
{
    const std::shared_ptr<const Jinja::Template> compiled =
        compiledTemplate(templateSource(tokenizerConfig_, chatTemplate, tools));
    const std::string text =
        compiled->render(templateVariables(messages, addGenerationPrompt, tools, additionalContext, tokenizerConfig_));
    std::vector<int> ids = encode(text, false);
    return truncation ? truncated(std::move(ids), maxLength, tokenizerConfig_) : ids;
}

} // namespace Tokenizers

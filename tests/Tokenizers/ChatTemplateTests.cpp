#include "Tokenizers/PreTrainedTokenizer.h"

#include "Jinja/Builtins/TemplateException.h"
#include "Jinja/JinjaError.h"
#include "Tokenizers/TokenizerError.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Tokenizers;
using Hub::Config;

namespace {

// A model whose tokens are single printable ASCII characters and line feeds,
// so that decoding the ids gives back the rendered text.
Config characterData()
{
    Config::KeyValuePairs vocabulary{{"\n", Config(0)}};
    for (int character = ' '; character <= '~'; ++character)
        vocabulary.emplace_back(std::string(1, static_cast<char>(character)), Config(character));
    return Config(Config::KeyValuePairs{
        {"model", Config(Config::KeyValuePairs{
                      {"type", "BPE"}, {"vocab", Config(vocabulary)}, {"merges", Config(Config::Array{})}})}});
}

std::unique_ptr<PreTrainedTokenizer> tokenizer(Config::KeyValuePairs configuration)
{
    configuration.emplace_back("tokenizer_class", "GPT2Tokenizer");
    configuration.emplace_back("clean_up_tokenization_spaces", false);
    return std::make_unique<PreTrainedTokenizer>(Config(configuration), characterData(), true);
}

Message message(const std::string& role, const std::string& content)
{
    return {{"role", role}, {"content", content}};
}

const std::vector<Message> hello = {message("user", "hi")};
const std::vector<ToolSpec> oneTool = {{{"name", std::string("clock")}}};

template <class Error>
std::string failure(const std::function<void()>& call)
{
    try {
        call();
    } catch (const Error& error) {
        return error.what();
    }
    return "no failure";
}

const std::string noTemplate = "This tokenizer does not have a chat template, and no template was passed.";

} // namespace

TEST(ChatTemplate, OneTemplateServesEveryFormAndTheShortFormsAskForTheGenerationPrompt)
{
    const auto t = tokenizer({{"chat_template", "{% for m in messages %}{{ m.role }}:{{ m.content }};{% endfor %}"
                                                "{% if add_generation_prompt %}>{% endif %}"}});
    const std::vector<std::tuple<std::string, std::function<std::vector<int>()>, std::string>> cases = {
        {"messages", [&] { return t->applyChatTemplate(hello); }, "user:hi;>"},
        {"tools", [&] { return t->applyChatTemplate(hello, oneTool); }, "user:hi;>"},
        {"context", [&] { return t->applyChatTemplate(hello, std::nullopt, std::nullopt); }, "user:hi;>"},
        {"a name", [&] { return t->applyChatTemplate(hello, ChatTemplateArgument::name("other")); }, "user:hi;>"},
        {"a literal",
         [&] { return t->applyChatTemplate(hello, ChatTemplateArgument::literal("[{{ messages|length }}]")); }, "[1]"},
        {"a string", [&] { return t->applyChatTemplate(hello, "{% if add_generation_prompt %}+{% endif %}"); }, "+"},
        {"six arguments",
         [&] { return t->applyChatTemplate(hello, std::nullopt, false, false, std::nullopt, std::nullopt); },
         "user:hi;"},
        {"seven arguments",
         [&] {
             return t->applyChatTemplate(hello, std::nullopt, false, false, std::nullopt, std::nullopt, std::nullopt);
         },
         "user:hi;"},
    };
    for (const auto& [form, apply, expected] : cases)
        EXPECT_EQ(t->decode(apply()), expected) << form;
}

TEST(ChatTemplate, NamedTemplatesAreChosenByNameOrByTools)
{
    const Config named(Config::Array{
        Config(Config::KeyValuePairs{{"name", "default"}, {"template", "D"}}),
        Config(Config::KeyValuePairs{{"name", 3}, {"template", "skipped"}}),
        Config("skipped too"),
        Config(Config::KeyValuePairs{{"name", "tool_use"}, {"template", "T"}}),
    });
    const auto t = tokenizer({{"chat_template", named}});
    EXPECT_EQ(t->decode(t->applyChatTemplate(hello, oneTool)), "T");
    EXPECT_EQ(t->decode(t->applyChatTemplate(hello, std::vector<ToolSpec>{})), "D");
    EXPECT_EQ(t->decode(t->applyChatTemplate(hello)), "D");
    EXPECT_EQ(t->decode(t->applyChatTemplate(hello, ChatTemplateArgument::name("tool_use"))), "T");
    EXPECT_EQ(t->decode(t->applyChatTemplate(hello, ChatTemplateArgument::literal("L"))), "L");
    EXPECT_EQ(failure<TokenizerError>([&] { t->applyChatTemplate(hello, ChatTemplateArgument::name("x")); }),
              "Chat template error: No chat template named \"x\" was found in the tokenizer config");

    const auto toolUseOnly =
        tokenizer({{"chat_template",
                    Config(Config::Array{Config(Config::KeyValuePairs{{"name", "tool_use"}, {"template", "T"}})})}});
    EXPECT_EQ(toolUseOnly->decode(toolUseOnly->applyChatTemplate(hello, oneTool)), "T");
    EXPECT_EQ(failure<TokenizerError>([&] { toolUseOnly->applyChatTemplate(hello); }), noTemplate);
}

TEST(ChatTemplate, WithoutAUsableTemplateTheCallFails)
{
    const std::vector<std::pair<std::string, Config::KeyValuePairs>> cases = {
        {"none", {}},
        {"null", {{"chat_template", Config()}}},
        {"a number", {{"chat_template", 5}}},
    };
    for (const auto& [configured, configuration] : cases) {
        const auto t = tokenizer(configuration);
        EXPECT_EQ(failure<TokenizerError>([&] { t->applyChatTemplate(hello); }), noTemplate) << configured;
        EXPECT_EQ(t->decode(t->applyChatTemplate(hello, "L")), "L") << configured;
    }

    const Config twice(Config::Array{
        Config(Config::KeyValuePairs{{"name", "default"}, {"template", "A"}}),
        Config(Config::KeyValuePairs{{"name", "default"}, {"template", "B"}}),
    });
    const auto duplicated = tokenizer({{"chat_template", twice}});
    EXPECT_EQ(failure<TokenizerError>([&] { duplicated->applyChatTemplate(hello); }),
              "Chat template error: Duplicate chat template name \"default\" in the tokenizer config");
}

TEST(ChatTemplate, TheVariablesLayerContextOverArgumentsAndSpecialTokensOverBoth)
{
    const auto t = tokenizer({
        {"bos_token", "<s>"},
        {"eos_token", Config(Config::KeyValuePairs{{"content", "</s>"}})},
        {"unk_token", Config(Config::KeyValuePairs{{"id", 3}})},
        {"sep_token", Config(Config::Array{Config("A"), Config(3), Config("B")})},
        {"additional_special_tokens", Config(Config::Array{Config(Config::KeyValuePairs{{"content", "<x>"}})})},
        {"pad_token", Config()},
    });
    const std::string source = "{{ messages[0].content }}|{{ bos_token }}|{{ eos_token }}|"
                               "{% if unk_token is defined %}unk{% endif %}|{{ sep_token|join(',') }}|"
                               "{{ additional_special_tokens|length }}|{% if pad_token is defined %}pad{% endif %}|"
                               "{% if add_generation_prompt %}prompt{% endif %}|{{ tools|length }}|{{ x }}";
    const std::map<std::string, std::any> context = {
        {"messages", std::vector<std::any>{message("user", "replaced")}},
        {"add_generation_prompt", false},
        {"bos_token", std::string("overridden")},
        {"x", 1L},
    };
    const std::vector<int> ids = t->applyChatTemplate(hello, ChatTemplateArgument::literal(source), true, false,
                                                      std::nullopt, std::vector<ToolSpec>{}, context);
    EXPECT_EQ(t->decode(ids), "replaced|<s>|</s>||A,B|0|||0|1");
}

TEST(ChatTemplate, ASpecialTokenOfAnotherKindFailsEvenWhenUnread)
{
    const auto t = tokenizer({{"pad_token", 5}});
    EXPECT_EQ(failure<Jinja::JinjaError>([&] { t->applyChatTemplate(hello, "unread"); }),
              "Runtime error: Cannot convert value of type Optional<Any> to Jinja Value");
}

TEST(ChatTemplate, TruncationKeepsTheFirstIdsUpToTheSmallerLimit)
{
    const auto plain = tokenizer({});
    const auto limited = tokenizer({{"model_max_length", 4}});
    const auto unlimited = tokenizer({{"model_max_length", 1e30}});
    const auto negative = tokenizer({{"model_max_length", -5}});
    const auto apply = [](const auto& t, bool truncation, std::optional<int> maxLength) {
        return t->decode(
            t->applyChatTemplate(hello, ChatTemplateArgument::literal("abcdef"), true, truncation, maxLength, {}));
    };
    EXPECT_EQ(apply(plain, true, 3), "abc");
    EXPECT_EQ(apply(plain, false, 3), "abcdef");
    EXPECT_EQ(apply(plain, true, 9), "abcdef");
    EXPECT_EQ(apply(plain, true, 0), "");
    EXPECT_EQ(apply(limited, true, std::nullopt), "abcd");
    EXPECT_EQ(apply(limited, true, 5), "abcd");
    EXPECT_EQ(apply(limited, true, 2), "ab");
    EXPECT_EQ(apply(limited, false, 2), "abcdef");
    EXPECT_EQ(apply(unlimited, true, std::nullopt), "abcdef");

    EXPECT_EQ(failure<TokenizerError>([&] { apply(plain, true, -5); }),
              "Chat template error: Invalid maximum length: -5");
    EXPECT_EQ(failure<TokenizerError>([&] { apply(negative, true, 3); }),
              "Chat template error: Invalid maximum length: -5");
    EXPECT_EQ(apply(plain, false, -5), "abcdef");
    EXPECT_EQ(apply(negative, false, std::nullopt), "abcdef");
}

TEST(ChatTemplate, CompilesEachSourceOnceAndPassesTemplateErrorsOn)
{
    const auto t = tokenizer({{"chat_template", "{{ messages|length }}"}});
    t->applyChatTemplate(hello);
    t->applyChatTemplate(hello, ChatTemplateArgument::name("any"));
    EXPECT_EQ(t->chatTemplateCompilations(), 1u);
    t->applyChatTemplate(hello, "other");
    EXPECT_EQ(t->chatTemplateCompilations(), 2u);
    EXPECT_EQ(t->compiledTemplate("other"), t->compiledTemplate("other"));

    for (int attempt = 0; attempt < 2; ++attempt)
        EXPECT_THROW(t->applyChatTemplate(hello, "{% if %}"), Jinja::JinjaError);
    EXPECT_EQ(t->chatTemplateCompilations(), 2u) << "a failed compilation is not cached";
    EXPECT_EQ(failure<Jinja::TemplateException>([&] { t->applyChatTemplate(hello, "{{ raise_exception('no') }}"); }),
              "no");
}

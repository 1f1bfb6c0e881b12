#include "Jinja/Builtins/Globals.h"
#include "Jinja/Builtins/RandomSource.h"
#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/ArgumentBinding.h"
#include "Jinja/Runtime/Limits.h"

#include <array>
#include <string_view>

namespace Jinja::Globals {

namespace {

constexpr std::array<std::string_view, 62> words{
    "lorem",      "ipsum",        "dolor",
    "sit",        "amet",         "consectetur",
    "adipiscing", "elit",         "sed",
    "do",         "eiusmod",      "tempor",
    "incididunt", "ut",           "labore",
    "et",         "dolore",       "magna",
    "aliqua",     "enim",         "ad",
    "minim",      "veniam",       "quis",
    "nostrud",    "exercitation", "ullamco",
    "laboris",    "nisi",         "aliquip",
    "ex",         "ea",           "commodo",
    "consequat",  "duis",         "aute",
    "irure",      "in",           "reprehenderit",
    "voluptate",  "velit",        "esse",
    "cillum",     "fugiat",       "nulla",
    "pariatur",   "excepteur",    "sint",
    "occaecat",   "cupidatat",    "non",
    "proident",   "sunt",         "culpa",
    "qui",        "officia",      "deserunt",
    "mollit",     "anim",         "id",
    "est",        "laborum",
};

std::string paragraph(std::int64_t wordCount)
{
    std::uniform_int_distribution<std::size_t> pick(0, words.size() - 1);
    std::string text;
    for (std::int64_t index = 0; index < wordCount; ++index) {
        if (index > 0)
            text += ' ';
        text += words[pick(randomEngine())];
        checkStringSize(text.size());
    }
    if (!text.empty())
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text + '.';
}

} // namespace

Value lipsum(std::span<const Value> arguments, const KeywordArguments& keywordArguments)
{
    static const Parameter parameters[] = {
        {"n", Value(5)}, {"html", Value(true)}, {"min", Value(20)}, {"max", Value(100)}};
    const auto bound = resolveCallArguments(arguments, keywordArguments, parameters);
    const Value& count = bound[0];
    const Value& html = bound[1];
    const Value& minimum = bound[2];
    const Value& maximum = bound[3];
    if (!count.isInt() || !html.isBoolean() || !minimum.isInt() || !maximum.isInt() || count.asInt() < 0 ||
        maximum.asInt() < minimum.asInt())
        throw JinjaError(JinjaError::Kind::runtime, "Invalid arguments for lipsum()");
    std::uniform_int_distribution<std::int64_t> wordCount(minimum.asInt(), maximum.asInt());
    std::string text;
    for (std::int64_t index = 0; index < count.asInt(); ++index) {
        if (index > 0)
            text += html.asBoolean() ? "\n" : "\n\n";
        const std::string body = paragraph(wordCount(randomEngine()));
        text += html.asBoolean() ? "<p>" + body + "</p>" : body;
        checkStringSize(text.size());
    }
    return Value(std::move(text));
}

} // namespace Jinja::Globals

#include "Jinja/Builtins/Filters.h"
#include "Jinja/Builtins/RandomSource.h"
#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/Limits.h"
#include "Jinja/Text/Characters.h"
#include "Platform/Text/CaseMapping.h"

#include <algorithm>

namespace Jinja::Filters {

namespace {

[[noreturn]] void fail(const char* message)
{
    throw JinjaError(JinjaError::Kind::runtime, message);
}

Value undefinedResult()
{
    return Value::undefined();
}

bool isString(const Value& input)
{
    return input.isString();
}

bool isArray(const Value& input)
{
    return input.isArray();
}

const Signature upperSignature{
    .parameters = {},
    .withoutInput = []() -> Value { fail("upper filter requires string"); },
    .accepts = isString,
    .refused = [](const Value&) -> Value { fail("upper filter requires string"); },
};

const Signature lowerSignature{
    .parameters = {},
    .withoutInput = []() -> Value { fail("lower filter requires string"); },
    .accepts = isString,
    .refused = [](const Value&) -> Value { fail("lower filter requires string"); },
};

const Signature lengthSignature{
    .parameters = {},
    .withoutInput = []() -> Value { fail("length filter requires string, array, or object"); },
};

const Parameter joinParameters[] = {{"separator", Value("")}, {"attribute", Value::null()}};
const Signature joinSignature{
    .parameters = joinParameters,
    .withoutInput = []() -> Value { fail("join filter requires array"); },
    .accepts = isArray,
    .refused = [](const Value&) -> Value { fail("join filter requires array"); },
};

const Parameter defaultParameters[] = {{"default_value", std::nullopt}, {"boolean", Value(false)}};
const Signature defaultSignature{.parameters = defaultParameters};

// first, last, random and reverse: nothing to bind, undefined without input.
const Signature elementSignature{.parameters = {}, .withoutInput = undefinedResult};

// first and last: the end character of a string or element of an array.
Value endItem(std::span<const Value> arguments, const KeywordArguments& keywordArguments, bool fromEnd,
              const char* refusal)
{
    const Prologue prologue = begin(arguments, keywordArguments, elementSignature);
    if (prologue.result)
        return *prologue.result;
    const Value& input = prologue.input;
    if (input.isString()) {
        const Characters characters(input.asString().utf8());
        if (characters.size() == 0)
            return Value::undefined();
        return Value(characters[fromEnd ? characters.size() - 1 : 0]);
    }
    if (!input.isArray())
        fail(refusal);
    const Array& elements = input.asArray();
    if (elements.empty())
        return Value::undefined();
    return fromEnd ? elements.back() : elements.front();
}

} // namespace

Value upper(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, upperSignature);
    return Value(Platform::uppercased(prologue.input.asString().utf8()));
}

Value lower(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, lowerSignature);
    return Value(Platform::lowercased(prologue.input.asString().utf8()));
}

Value length(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, lengthSignature);
    const Value& input = prologue.input;
    if (input.isString())
        return Value(static_cast<std::int64_t>(Characters(input.asString().utf8()).size()));
    if (input.isArray())
        return Value(static_cast<std::int64_t>(input.asArray().size()));
    if (input.isObject())
        return Value(static_cast<std::int64_t>(input.asObject().size()));
    if (input.isUndefined())
        return Value(0);
    fail("length filter requires string, array, or object");
}

Value join(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, joinSignature);
    const Value& separator = prologue.bound[0];
    const Value& attribute = prologue.bound[1];
    if (!separator.isString())
        fail("join filter requires string separator");
    const Array& elements = prologue.input.asArray();
    std::vector<std::string> texts;
    texts.reserve(elements.size());
    std::size_t size = 0;
    for (const Value& element : elements) {
        texts.push_back(attribute.isNull() ? element.description() : memberOf(element, attribute).description());
        size += texts.back().size() + (texts.size() > 1 ? separator.asString().utf8().size() : 0);
        checkStringSize(size);
    }
    std::string joined;
    joined.reserve(size);
    for (std::size_t index = 0; index < texts.size(); ++index) {
        if (index > 0)
            joined += separator.asString().utf8();
        joined += texts[index];
    }
    return Value(std::move(joined));
}

Value defaultValue(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, defaultSignature);
    const bool replacesFalse = prologue.bound[1].isTruthy();
    const Value& input = prologue.input;
    if (input.isUndefined() || (replacesFalse && input.isBoolean() && !input.asBoolean()))
        return prologue.bound[0];
    return input;
}

Value first(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    return endItem(arguments, keywordArguments, false, "first filter requires array or string");
}

Value last(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    return endItem(arguments, keywordArguments, true, "last filter requires array or string");
}

Value random(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    Prologue prologue = begin(arguments, keywordArguments, elementSignature);
    if (prologue.result)
        return *prologue.result;
    const Value& input = prologue.input;
    if (input.isString()) {
        const Characters characters(input.asString().utf8());
        return characters.size() == 0 ? Value::undefined() : Value(characters[randomIndex(characters.size())]);
    }
    if (input.isArray()) {
        const Array& elements = input.asArray();
        return elements.empty() ? Value::undefined() : elements[randomIndex(elements.size())];
    }
    if (input.isObject()) {
        const Object& object = input.asObject();
        if (object.empty())
            return Value::undefined();
        return Value(object.keys()[static_cast<std::ptrdiff_t>(randomIndex(object.size()))]);
    }
    return Value::undefined();
}

Value reverse(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    Prologue prologue = begin(arguments, keywordArguments, elementSignature);
    if (prologue.result)
        return *prologue.result;
    const Value& input = prologue.input;
    if (input.isArray())
        return Value(Array(input.asArray().rbegin(), input.asArray().rend()));
    if (!input.isString())
        fail("reverse filter requires array or string");
    const Characters characters(input.asString().utf8());
    std::string reversed;
    reversed.reserve(input.asString().utf8().size());
    for (std::size_t index = characters.size(); index > 0; --index)
        reversed += characters[index - 1];
    return Value(std::move(reversed));
}

} // namespace Jinja::Filters

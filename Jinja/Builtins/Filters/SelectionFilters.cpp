#include "Jinja/Builtins/Filters.h"
#include "Jinja/Builtins/Filters/KindChecks.h"
#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/Interpreter.h"
#include "Jinja/Runtime/Limits.h"

namespace Jinja::Filters {

namespace {

Signature arraySignature(std::span<const Parameter> parameters)
{
    return {.parameters = parameters, .withoutInput = emptyArray, .accepts = isArray, .refused = [](const Value&) {
                return emptyArray();
            }};
}

const Parameter sliceParameters[] = {{"numSlices", std::nullopt}, {"fillWith", Value::null()}};
const Parameter mapParameters[] = {
    {"filterName", Value::null()}, {"attribute", Value::null()}, {"default", Value::null()}};
const Parameter selectParameters[] = {{"testname", Value::null()}};
const Parameter selectattrParameters[] = {{"attribute", std::nullopt}, {"testname", Value::null()}};
const Parameter attrParameters[] = {{"attribute", std::nullopt}};

const Signature sliceSignature = arraySignature(sliceParameters);
const Signature mapSignature = arraySignature(mapParameters);
const Signature selectSignature = arraySignature(selectParameters);
const Signature selectattrSignature = arraySignature(selectattrParameters);
const Signature attrSignature{.parameters = attrParameters, .withoutInput = [] { return Value::undefined(); }};

// The elements whose value passes the test named by `testName`, or whose
// value is truthy without one; with `keep` false, the others. The test's
// further arguments are the call's positional arguments from `firstExtra` on.
Value filtered(const Prologue& prologue, std::span<const Value> arguments, const Value& testName,
               std::size_t firstExtra, const Value* attribute, bool keep, const Environment& environment)
{
    const std::span<const Value> extra =
        arguments.size() > firstExtra ? arguments.subspan(firstExtra) : std::span<const Value>();
    std::vector<Value> testArguments(extra.size() + 1);
    std::copy(extra.begin(), extra.end(), testArguments.begin() + 1);
    Array kept;
    for (const Value& element : prologue.input.asArray()) {
        testArguments[0] = attribute ? memberOf(element, *attribute) : element;
        const bool passes = testName.isString()
                                ? Interpreter::evaluateTest(testName.asString(), testArguments, environment)
                                : testArguments[0].isTruthy();
        if (passes == keep)
            kept.push_back(element);
    }
    return Value(std::move(kept));
}

Value filteredByTest(std::span<const Value> arguments, const KeywordArguments& keywordArguments,
                     const Environment& environment, bool keep)
{
    const Prologue prologue = begin(arguments, keywordArguments, selectSignature);
    if (prologue.result)
        return *prologue.result;
    return filtered(prologue, arguments, prologue.bound[0], 2, nullptr, keep, environment);
}

Value filteredByAttribute(std::span<const Value> arguments, const KeywordArguments& keywordArguments,
                          const Environment& environment, bool keep, const char* message)
{
    const Prologue prologue = begin(arguments, keywordArguments, selectattrSignature);
    if (prologue.result)
        return *prologue.result;
    if (!prologue.bound[0].isString())
        throw JinjaError(JinjaError::Kind::runtime, message);
    return filtered(prologue, arguments, prologue.bound[1], 3, &prologue.bound[0], keep, environment);
}

} // namespace

Value slice(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, sliceSignature);
    if (prologue.result)
        return *prologue.result;
    const Value& count = prologue.bound[0];
    if (!count.isInt() || count.asInt() < 1)
        throw JinjaError(JinjaError::Kind::runtime, "slice filter requires positive integer numSlices parameter");
    checkArrayCount(static_cast<std::uint64_t>(count.asInt()) > maximumArrayCount
                        ? maximumArrayCount + 1
                        : static_cast<std::size_t>(count.asInt()));
    const auto slices = static_cast<std::size_t>(count.asInt());
    const Array& elements = prologue.input.asArray();
    const std::size_t rows = elements.size() / slices + (elements.size() % slices != 0 ? 1 : 0);
    Array result;
    result.reserve(slices);
    for (std::size_t column = 0; column < slices; ++column) {
        Array slice;
        slice.reserve(rows);
        for (std::size_t row = 0; row < rows; ++row) {
            const std::size_t position = row * slices + column;
            slice.push_back(position < elements.size() ? elements[position] : prologue.bound[1]);
        }
        result.emplace_back(std::move(slice));
    }
    return Value(std::move(result));
}

Value map(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment& environment)
{
    const Prologue prologue = begin(arguments, keywordArguments, mapSignature);
    if (prologue.result)
        return *prologue.result;
    const Value& filterName = prologue.bound[0];
    const Value& attribute = prologue.bound[1];
    Array mapped;
    if (filterName.isString()) {
        for (const Value& element : prologue.input.asArray())
            mapped.push_back(Interpreter::applyFilter(filterName.asString(), std::span(&element, 1), {}, environment));
    } else if (!attribute.isNull()) {
        for (const Value& element : prologue.input.asArray()) {
            Value member = memberOf(element, attribute);
            mapped.push_back(member.isUndefined() ? prologue.bound[2] : std::move(member));
        }
    }
    return Value(std::move(mapped));
}

Value select(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment& environment)
{
    return filteredByTest(arguments, keywordArguments, environment, true);
}

Value reject(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment& environment)
{
    return filteredByTest(arguments, keywordArguments, environment, false);
}

Value selectattr(std::span<const Value> arguments, const KeywordArguments& keywordArguments,
                 const Environment& environment)
{
    return filteredByAttribute(arguments, keywordArguments, environment, true,
                               "selectattr filter requires attribute parameter");
}

Value rejectattr(std::span<const Value> arguments, const KeywordArguments& keywordArguments,
                 const Environment& environment)
{
    return filteredByAttribute(arguments, keywordArguments, environment, false,
                               "rejectattr filter requires attribute parameter");
}

Value attr(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, attrSignature);
    if (prologue.result)
        return *prologue.result;
    if (!prologue.bound[0].isString())
        throw JinjaError(JinjaError::Kind::runtime, "attr filter requires attribute parameter");
    return memberOf(prologue.input, prologue.bound[0]);
}

void addSelectionFilters(Table& table)
{
    table.emplace("slice", slice);
    table.emplace("map", map);
    table.emplace("select", select);
    table.emplace("reject", reject);
    table.emplace("selectattr", selectattr);
    table.emplace("rejectattr", rejectattr);
    table.emplace("attr", attr);
}

} // namespace Jinja::Filters

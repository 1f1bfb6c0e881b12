#include "Jinja/Builtins/Filters.h"
#include "Jinja/Builtins/Filters/KindChecks.h"
#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/Limits.h"
#include "Jinja/Runtime/Operations.h"
#include "OrderedCollections/OrderedSet/OrderedSet.h"
#include "Platform/Text/CaseMapping.h"
#include "Platform/Text/Graphemes.h"

namespace Jinja::Filters {

namespace {

const Signature listSignature{.parameters = {}, .withoutInput = emptyArray};
const Signature itemsSignature = listSignature;

const Parameter extremeParameters[] = {{"case_sensitive", Value(false)}, {"attribute", Value::null()}};
const Signature extremeSignature{.parameters = extremeParameters,
                                 .withoutInput = [] { return Value::undefined(); },
                                 .accepts = isArray,
                                 .refused = [](const Value&) { return Value::undefined(); }};

const Parameter batchParameters[] = {{"batchSize", std::nullopt}, {"fillWith", Value::null()}};
const Signature batchSignature{
    .parameters = batchParameters, .withoutInput = emptyArray, .accepts = isArray, .refused = emptyArrayInstead};

const Parameter sumParameters[] = {{"attribute", Value::null()}, {"start", Value(0)}};
const Signature sumSignature{.parameters = sumParameters,
                             .withoutInput = [] { return Value(0); },
                             .accepts = isArray,
                             .refused = [](const Value&) { return Value(0); }};

const Signature uniqueSignature{
    .parameters = extremeParameters, .withoutInput = emptyArray, .accepts = isArray, .refused = emptyArrayInstead};

Value lowercasedUnless(bool caseSensitive, const Value& value)
{
    return value.isString() && !caseSensitive ? Value(Platform::lowercased(value.asString().utf8())) : value;
}

// Whether `first` comes before `second`: numbers by value and strings by
// text, folded unless case-sensitive; any other pair throws.
bool comesBefore(const Value& first, const Value& second, bool caseSensitive)
{
    if (first.isString() && second.isString())
        return compare(lowercasedUnless(caseSensitive, first), lowercasedUnless(caseSensitive, second)) < 0;
    return compare(first, second) < 0;
}

// The greatest element for `max`, the least for `min`; ties keep the earlier one.
Value extreme(std::span<const Value> arguments, const KeywordArguments& keywordArguments, bool greatest)
{
    const Prologue prologue = begin(arguments, keywordArguments, extremeSignature);
    if (prologue.result)
        return *prologue.result;
    const Array& elements = prologue.input.asArray();
    if (elements.empty())
        return Value::undefined();
    const bool caseSensitive = prologue.bound[0].isTruthy();
    const Value& attribute = prologue.bound[1];
    std::size_t chosen = 0;
    for (std::size_t index = 1; index < elements.size(); ++index) {
        // Compared by a member, a value that cannot be ordered fails; compared
        // whole, it is passed over.
        if (attribute.isString()) {
            const Value current = memberOf(elements[chosen], attribute);
            const Value candidate = memberOf(elements[index], attribute);
            if (greatest ? comesBefore(current, candidate, caseSensitive)
                         : comesBefore(candidate, current, caseSensitive))
                chosen = index;
            continue;
        }
        try {
            if (greatest ? comesBefore(elements[chosen], elements[index], caseSensitive)
                         : comesBefore(elements[index], elements[chosen], caseSensitive))
                chosen = index;
        } catch (const JinjaError&) {
        }
    }
    return elements[chosen];
}

} // namespace

Value list(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, listSignature);
    if (prologue.result)
        return *prologue.result;
    const Value& input = prologue.input;
    if (input.isArray())
        return input;
    Array elements;
    if (input.isObject()) {
        const auto values = input.asObject().values();
        elements.assign(values.begin(), values.end());
    } else if (input.isString()) {
        for (std::string_view character : Platform::graphemeClusters(input.asString().utf8()))
            elements.emplace_back(character);
    }
    return Value(std::move(elements));
}

Value max(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    return extreme(arguments, keywordArguments, true);
}

Value min(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    return extreme(arguments, keywordArguments, false);
}

Value batch(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, batchSignature);
    if (prologue.result)
        return *prologue.result;
    const Value& size = prologue.bound[0];
    if (!size.isInt() || size.asInt() < 1)
        throw JinjaError(JinjaError::Kind::runtime, "batch filter requires positive integer batchSize parameter");
    const Array& elements = prologue.input.asArray();
    const auto rowSize = static_cast<std::uint64_t>(size.asInt());
    Array rows;
    for (std::size_t start = 0, end = 0; start < elements.size(); start = end) {
        end = elements.size() - start < rowSize ? elements.size() : start + static_cast<std::size_t>(rowSize);
        Array row(elements.begin() + static_cast<std::ptrdiff_t>(start),
                  elements.begin() + static_cast<std::ptrdiff_t>(end));
        if (row.size() < rowSize) {
            // The padding, not the input, decides the size of the last row.
            checkArrayCount(rowSize > maximumArrayCount ? maximumArrayCount + 1 : rowSize);
            row.resize(rowSize, prologue.bound[1]);
        }
        rows.emplace_back(std::move(row));
    }
    return Value(std::move(rows));
}

Value sum(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, sumSignature);
    if (prologue.result)
        return *prologue.result;
    const Value& attribute = prologue.bound[0];
    Value total = prologue.bound[1];
    for (const Value& element : prologue.input.asArray())
        total = add(total, attribute.isString() ? memberOf(element, attribute) : element);
    return total;
}

Value unique(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, uniqueSignature);
    if (prologue.result)
        return *prologue.result;
    const bool caseSensitive = prologue.bound[0].isTruthy();
    const Value& attribute = prologue.bound[1];
    const bool byMember = attribute.isString() || attribute.isInt();
    // Strict equality: 1 and 1.0 are different keys.
    OrderedCollections::OrderedSet<Value> seen;
    Array kept;
    for (const Value& element : prologue.input.asArray()) {
        const Value key = attribute.isNull() ? element : byMember ? memberOf(element, attribute) : Value::undefined();
        if (seen.append(lowercasedUnless(caseSensitive, key)).inserted)
            kept.push_back(element);
    }
    return Value(std::move(kept));
}

Value items(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, itemsSignature);
    if (prologue.result)
        return *prologue.result;
    Array pairs;
    if (prologue.input.isObject())
        for (const auto& [key, value] : prologue.input.asObject())
            pairs.push_back(Value::array({Value(key), value}));
    return Value(std::move(pairs));
}

void addCollectionFilters(Table& table)
{
    table.emplace("list", list);
    table.emplace("max", max);
    table.emplace("min", min);
    table.emplace("batch", batch);
    table.emplace("sum", sum);
    table.emplace("unique", unique);
    table.emplace("items", items);
}

} // namespace Jinja::Filters

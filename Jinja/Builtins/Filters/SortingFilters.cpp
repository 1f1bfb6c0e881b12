#include "Jinja/Builtins/Filters.h"
#include "Jinja/Builtins/Filters/KindChecks.h"
#include "Jinja/Builtins/Filters/MergeSort.h"
#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/Operations.h"
#include "Platform/Text/CaseMapping.h"
#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/Collation.h"

namespace Jinja::Filters {

namespace {

const Parameter sortParameters[] = {
    {"reverse", Value(false)}, {"case_sensitive", Value(false)}, {"attribute", Value::null()}};
const Signature sortSignature{
    .parameters = sortParameters, .withoutInput = emptyArray, .accepts = isArray, .refused = emptyArrayInstead};

const Parameter groupbyParameters[] = {
    {"attribute", std::nullopt}, {"default", Value::null()}, {"case_sensitive", Value(false)}};
const Signature groupbySignature{
    .parameters = groupbyParameters, .withoutInput = emptyArray, .accepts = isArray, .refused = emptyArrayInstead};

const Parameter dictsortParameters[] = {
    {"case_sensitive", Value(false)}, {"by", Value("key")}, {"reverse", Value(false)}};
const Signature dictsortSignature{
    .parameters = dictsortParameters, .withoutInput = emptyArray, .accepts = isObject, .refused = emptyArrayInstead};

Value folded(const Value& value, bool caseSensitive)
{
    return value.isString() && !caseSensitive ? Value(Platform::lowercased(value.asString().utf8())) : value;
}

int threeWay(const String& first, const String& second)
{
    const auto order = first <=> second;
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

// What `sort` compares an element by, folded once rather than at every comparison.
struct SortKey {
    Value original;
    Value folded;
};

// Strings by their folded text; any pair but two numbers or two strings fails
// with the comparison's error, naming the values as they are.
int compareSortKeys(const SortKey& first, const SortKey& second)
{
    if (first.folded.isString() && second.folded.isString())
        return threeWay(first.folded.asString(), second.folded.asString());
    return compare(first.original, second.original);
}

// Stable by `key` of each element; elements travel with their keys.
Array sortedBy(const Array& elements, bool caseSensitive, const std::function<Value(const Value&)>& key)
{
    std::vector<std::pair<SortKey, std::size_t>> keyed;
    keyed.reserve(elements.size());
    for (std::size_t index = 0; index < elements.size(); ++index) {
        Value value = key(elements[index]);
        Value foldedValue = folded(value, caseSensitive);
        keyed.push_back({{std::move(value), std::move(foldedValue)}, index});
    }
    mergeSort(keyed, [](const auto& first, const auto& second) { return compareSortKeys(first.first, second.first); });
    Array sorted;
    sorted.reserve(elements.size());
    for (const auto& [sortKey, index] : keyed)
        sorted.push_back(elements[index]);
    return sorted;
}

// The comma-separated member names, trimmed, without empty ones.
std::vector<String> sortNames(const Value& attribute)
{
    std::vector<String> names;
    if (!attribute.isString())
        return names;
    std::string_view rest = attribute.asString().utf8();
    while (true) {
        const std::size_t comma = rest.find(',');
        const std::string_view name =
            Platform::trimming(rest.substr(0, comma), Platform::CharacterSet::whitespacesAndNewlines);
        if (!name.empty())
            names.emplace_back(name);
        if (comma == std::string_view::npos)
            return names;
        rest.remove_prefix(comma + 1);
    }
}

// groupby's order never fails: values without an order compare by their text.
int compareGroupKeys(const Value& first, const Value& second)
{
    if (first.isString() && second.isString())
        return threeWay(first.asString(), second.asString());
    if (first.isNumeric() && second.isNumeric())
        return compare(first, second);
    return threeWay(String(first.description()), String(second.description()));
}

} // namespace

Value sort(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, sortSignature);
    if (prologue.result)
        return *prologue.result;
    const bool reverse = prologue.bound[0].isTruthy();
    const bool caseSensitive = prologue.bound[1].isTruthy();
    const std::vector<String> names = sortNames(prologue.bound[2]);
    Array sorted = prologue.input.asArray();
    if (names.empty())
        sorted = sortedBy(sorted, caseSensitive, [](const Value& element) { return element; });
    // The last name first, so that each earlier name decides before the ones after it.
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        const Value attribute(*name);
        sorted = sortedBy(sorted, caseSensitive,
                          [&attribute](const Value& element) { return memberOf(element, attribute); });
    }
    if (reverse)
        std::reverse(sorted.begin(), sorted.end());
    return Value(std::move(sorted));
}

Value groupby(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, groupbySignature);
    if (prologue.result)
        return *prologue.result;
    const Value& attribute = prologue.bound[0];
    if (!attribute.isString())
        throw JinjaError(JinjaError::Kind::runtime, "groupby filter requires attribute parameter");
    const bool caseSensitive = prologue.bound[2].isTruthy();
    struct Record {
        Value element;
        Value displayKey;
        Value normalized;
    };
    std::vector<Record> records;
    records.reserve(prologue.input.asArray().size());
    for (const Value& element : prologue.input.asArray()) {
        Value displayKey = memberOf(element, attribute);
        if (displayKey.isUndefined())
            displayKey = prologue.bound[1];
        Value normalized = folded(displayKey, caseSensitive);
        records.push_back({element, std::move(displayKey), std::move(normalized)});
    }
    mergeSort(records, [](const Record& first, const Record& second) {
        return compareGroupKeys(first.normalized, second.normalized);
    });
    Array groups;
    Array members;
    const Record* leader = nullptr;
    const auto close = [&] {
        if (leader)
            groups.push_back(Value::object({{"grouper", leader->displayKey}, {"list", Value(std::move(members))}}));
        members.clear();
    };
    for (const Record& record : records) {
        if (!leader || !record.normalized.isEquivalent(leader->normalized)) {
            close();
            leader = &record;
        }
        members.push_back(record.element);
    }
    close();
    return Value(std::move(groups));
}

Value dictsort(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, dictsortSignature);
    if (prologue.result)
        return *prologue.result;
    const bool caseSensitive = prologue.bound[0].isTruthy();
    const bool byValue = prologue.bound[1].isString() && prologue.bound[1].asString().utf8() == "value";
    const bool reverse = prologue.bound[2].isTruthy();
    struct Entry {
        String text;
        Value pair;
    };
    std::vector<Entry> entries;
    entries.reserve(prologue.input.asObject().size());
    for (const auto& [key, value] : prologue.input.asObject())
        entries.push_back({byValue ? String(value.description()) : key, Value::array({Value(key), value})});
    mergeSort(entries, [caseSensitive, reverse](const Entry& first, const Entry& second) {
        const int order = caseSensitive ? threeWay(first.text, second.text)
                                        : Platform::compareIgnoringCase(first.text.utf8(), second.text.utf8());
        return reverse ? -order : order;
    });
    Array pairs;
    pairs.reserve(entries.size());
    for (Entry& entry : entries)
        pairs.push_back(std::move(entry.pair));
    return Value(std::move(pairs));
}

void addSortingFilters(Table& table)
{
    table.emplace("sort", sort);
    table.emplace("groupby", groupby);
    table.emplace("dictsort", dictsort);
}

} // namespace Jinja::Filters

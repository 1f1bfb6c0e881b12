#pragma once

// The built-in filters: one function per filter with the shape of a built-in
// (the piped value first among the positional arguments), and the table by
// which templates find them by name.

#include "Jinja/Runtime/ArgumentBinding.h"
#include "Jinja/Runtime/Value.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Jinja::Filters {

// Built once, on first use, and never changed. Names are case-sensitive.
const std::unordered_map<String, Function>& builtIn();

// How a filter meets its arguments before its own work.
struct Signature {
    std::span<const Parameter> parameters;
    // What the filter gives without a piped value (it may throw instead);
    // absent when it goes on with an undefined one.
    Value (*withoutInput)() = nullptr;
    // The kinds it checks before binding, and what it gives for any other
    // (it may throw instead); absent when it checks after binding.
    bool (*accepts)(const Value& input) = nullptr;
    Value (*refused)(const Value& input) = nullptr;
};

// The piped value and the parameters bound from the rest, or the result the
// filter gives at once.
struct Prologue {
    Value input;
    std::vector<Value> bound;
    std::optional<Value> result;
};

// The steps every filter takes first: no piped value, then a kind checked
// before binding, then binding what follows the piped value. Binding errors
// propagate.
Prologue begin(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Signature& signature);

using Environment = std::shared_ptr<Jinja::Environment>;

// The member an attribute argument names: a string is member access on a
// string or object; an int is an object's key spelt as its decimal digits or
// an array's element at that position. Undefined for anything else.
Value memberOf(const Value& element, const Value& attribute);

Value upper(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
Value lower(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// Characters of a string, elements of an array, entries of an object; 0 for undefined.
Value length(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (separator, attribute): the elements' text forms, or those of an attribute of each.
Value join(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (default_value, boolean): replaces undefined, and false too when `boolean` is truthy.
Value defaultValue(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
Value first(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
Value last(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// A character, element or key drawn uniformly; undefined for anything else.
Value random(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
Value reverse(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);

using Table = std::unordered_map<String, Function>;

// Each group of filters enters its names into the table.
void addNumberFilters(Table& table);
void addTextFilters(Table& table);
void addCollectionFilters(Table& table);
void addSelectionFilters(Table& table);
void addMarkupFilters(Table& table);
void addSortingFilters(Table& table);
void addFormattingFilters(Table& table);

// An int's magnitude ("Integer overflow" for the smallest), a double without its sign.
Value abs(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (default): a number, or the whole of a text in the C locale's notation; else `default` as it is.
Value toFloat(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (default, base): a number truncated, or a text with an optional 0b, 0o or 0x prefix; else `default`.
Value toInt(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (precision, method): "common" rounds halves away from zero, "ceil" and "floor" as named.
Value round(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);

Value capitalize(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (width): spaces on both sides, the odd one on the right.
Value center(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
Value title(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// Runs of characters between white space.
Value wordcount(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (old, new, count): replaced text is not searched again; an empty `old` inserts around every character.
Value replace(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (length, killwords, end, leeway)
Value truncate(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (width, first, blank): every line after the first, and the first on request.
Value indent(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);

// An array as it is, an object's values, a string's characters; else empty.
Value list(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (case_sensitive, attribute): the first greatest or least element; elements
// that cannot be ordered are passed over, members that cannot be ordered fail.
Value max(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
Value min(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (batchSize, fillWith): rows of batchSize elements, the last filled up.
Value batch(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (attribute, start): start + each element (or member) with the language's +.
Value sum(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (case_sensitive, attribute): the first element of each strictly equal key.
Value unique(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// An object's [key, value] pairs; else empty.
Value items(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);

// (numSlices, fillWith): elements dealt in turn to numSlices equal-length arrays, filled up.
Value slice(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (filterName, attribute, default): each element through a filter, or its member.
Value map(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment& environment);
// (testname, ...): the elements that pass the test (or are truthy); reject keeps the others.
Value select(std::span<const Value> arguments, const KeywordArguments& keywordArguments,
             const Environment& environment);
Value reject(std::span<const Value> arguments, const KeywordArguments& keywordArguments,
             const Environment& environment);
// (attribute, testname, ...): as select and reject, testing each element's member.
Value selectattr(std::span<const Value> arguments, const KeywordArguments& keywordArguments,
                 const Environment& environment);
Value rejectattr(std::span<const Value> arguments, const KeywordArguments& keywordArguments,
                 const Environment& environment);
// (attribute): the member of a string or object.
Value attr(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);

// "&", "<", ">", the double and the single quote as character references;
// text escaped before is escaped again.
std::string htmlEscaped(std::string_view text);
// The escaped text of a string, an empty one for anything else.
Value forceescape(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// The value unchanged; nothing marks text as escaped.
Value safe(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// The text without tags, its runs of white space as single spaces.
Value striptags(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// Each "%s" replaced by the text of the next positional argument while any are left.
Value format(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (width, break_long_words, wrapstring, break_on_hyphens): greedy wrapping of each line's words.
Value wordwrap(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);

// (reverse, case_sensitive, attribute): a stable sort by the elements or by
// comma-separated member names; values without an order fail.
Value sort(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (attribute, default, case_sensitive): {grouper, list} objects of the elements sorted by a member.
Value groupby(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (case_sensitive, by, reverse): an object's [key, value] pairs sorted by key, or by value's text.
Value dictsort(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);

// (binary): a size in bytes, or with one decimal in the largest unit of 1000 or 1024 it reaches.
Value filesizeformat(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (autospace): an object's entries as XML attributes, those without a value left out.
Value xmlattr(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// The value's text.
Value toString(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (chars): a string without white space, or the given characters, at both ends.
Value trim(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// forceescape after binding no parameters, so any keyword fails.
Value escape(std::span<const Value> arguments, const KeywordArguments& keywordArguments,
             const Environment& environment);
// (indent, ensure_ascii): JSON with sorted keys, indented for an indent of 1 or
// more; "null" for anything JSON cannot hold.
Value tojson(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// A string or an object's entries percent-encoded for a URL's query.
Value urlencode(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// (trim_url_limit, nofollow, target, rel, extra_schemes): web and mail addresses as links.
Value urlize(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);
// Arrays and objects one element or entry a line, indented by level.
Value pprint(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&);

} // namespace Jinja::Filters

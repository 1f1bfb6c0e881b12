#include "Jinja/Builtins/StringMethods.h"

#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/ComposedText.h"
#include "Jinja/Runtime/Limits.h"
#include "Platform/Text/CaseMapping.h"
#include "Platform/Text/CharacterProperties.h"
#include "Platform/Text/Graphemes.h"
#include "Platform/Text/UnicodeScalars.h"

#include <algorithm>
#include <cstdint>

namespace Jinja::StringMethods {

namespace {

const std::string& utf8(const Value& text)
{
    return text.asString().utf8();
}

// The text without White_Space code points at the chosen ends.
std::string_view trimmed(std::string_view text, bool leading, bool trailing)
{
    std::size_t offset = 0;
    std::optional<std::size_t> begin;
    std::size_t end = 0;
    Platform::forEachCodePoint(text, [&](std::optional<char32_t> codePoint, std::string_view bytes) {
        if (!codePoint || !Platform::isWhiteSpace(*codePoint)) {
            begin = begin.value_or(offset);
            end = offset + bytes.size();
        }
        offset += bytes.size();
    });
    if (!begin)
        return {};
    const std::size_t first = leading ? *begin : 0;
    return text.substr(first, (trailing ? end : text.size()) - first);
}

bool isWordDelimiter(std::string_view character)
{
    static constexpr std::string_view delimiters[] = {" ",  "\t", "\n",     "\r",     "\r\n",
                                                      "\v", "\f", "\u0085", "\u2028", "\u2029"};
    for (std::string_view delimiter : delimiters)
        if (character == delimiter)
            return true;
    return false;
}

// A non-negative int, else no limit.
std::optional<std::int64_t> limitOf(const Value& bound)
{
    if (bound.isInt() && bound.asInt() >= 0)
        return bound.asInt();
    return std::nullopt;
}

// `inserted` before each of the first `limit` characters (all without a
// limit), and once more at the end when the text has fewer. The result's size
// is known from the count of characters, so a result past the bound fails
// before the text is cut into its characters.
std::string insertedBeforeCharacters(const std::string& text, const std::string& inserted,
                                     std::optional<std::int64_t> limit)
{
    if (inserted.empty())
        return text;
    const auto count = static_cast<std::int64_t>(Platform::graphemeCount(text));
    const std::int64_t insertions = limit ? std::min(*limit, count) + (count < *limit ? 1 : 0) : count + 1;
    const bool countable = static_cast<std::uint64_t>(insertions) <= maximumStringBytes / inserted.size();
    checkStringSize(countable ? text.size() + inserted.size() * static_cast<std::size_t>(insertions) : SIZE_MAX);
    std::string result;
    result.reserve(text.size() + inserted.size() * static_cast<std::size_t>(insertions));
    if (limit && *limit < count) {
        // Only the first characters are cut; the rest follows as it is.
        const std::string_view head = Platform::graphemePrefix(text, static_cast<std::size_t>(*limit));
        for (std::string_view character : Platform::graphemeClusters(head))
            result.append(inserted).append(character);
        return result.append(std::string_view(text).substr(head.size()));
    }
    for (std::string_view character : Platform::graphemeClusters(text))
        result.append(inserted).append(character);
    if (!limit || count < *limit)
        result.append(inserted);
    return result;
}

// Each step finds the first occurrence of `old` from the start, text inserted
// by earlier steps included. No occurrence can start before the last match
// less the length of `old`, so the text is kept split there: the part before
// it, and the part after it reversed, whose end is that point. Each step then
// costs what it moves, not the length of the whole text.
std::string replacedCounted(std::string_view text, std::string_view old, std::string_view inserted, std::int64_t limit)
{
    std::string before;
    std::string after(text.rbegin(), text.rend());
    const std::string oldReversed(old.rbegin(), old.rend());
    const std::string insertedReversed(inserted.rbegin(), inserted.rend());
    for (std::int64_t step = 0; step < limit; ++step) {
        const std::size_t found = after.rfind(oldReversed);
        if (found == std::string::npos)
            break;
        checkStringSize(before.size() + after.size() - old.size() + inserted.size());
        const std::size_t unmatched = after.size() - found - old.size();
        before.append(after.rbegin(), after.rbegin() + static_cast<std::ptrdiff_t>(unmatched));
        after.resize(found);
        after += insertedReversed;
        const std::size_t back = std::min(before.size(), old.size() - 1);
        after.append(before.rbegin(), before.rbegin() + static_cast<std::ptrdiff_t>(back));
        before.resize(before.size() - back);
    }
    return before + std::string(after.rbegin(), after.rend());
}

} // namespace

Value upper(const Value& text, std::span<const Value>)
{
    return Value(Platform::uppercased(utf8(text)));
}

Value lower(const Value& text, std::span<const Value>)
{
    return Value(Platform::lowercased(utf8(text)));
}

Value title(const Value& text, std::span<const Value>)
{
    std::string result;
    bool wordStart = true;
    for (std::string_view character : Platform::graphemeClusters(utf8(text))) {
        if (isWordDelimiter(character)) {
            result += character;
            wordStart = true;
        } else {
            result += wordStart ? Platform::uppercased(character) : Platform::lowercased(character);
            wordStart = false;
        }
    }
    return Value(std::move(result));
}

Value strip(const Value& text, std::span<const Value>)
{
    return Value(trimmed(utf8(text), true, true));
}

Value lstrip(const Value& text, std::span<const Value>)
{
    return Value(trimmed(utf8(text), true, false));
}

Value rstrip(const Value& text, std::span<const Value>)
{
    return Value(trimmed(utf8(text), false, true));
}

Value split(const Value& text, std::span<const Value> bound)
{
    Array pieces;
    const auto add = [&pieces](std::string_view piece) {
        checkArrayCount(pieces.size() + 1);
        pieces.emplace_back(piece);
    };
    if (!bound[0].isString()) {
        std::string_view rest = utf8(text);
        while (!rest.empty()) {
            const std::size_t space = rest.find(' ');
            if (space != 0)
                add(rest.substr(0, space));
            rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
        }
        return Value(std::move(pieces));
    }
    const std::string whole = composedText(utf8(text));
    const std::string separator = composedText(utf8(bound[0]));
    if (separator.empty())
        return Value::array({text});
    const std::optional<std::int64_t> limit = limitOf(bound[1]);
    std::size_t start = 0;
    for (std::int64_t cuts = 0; !limit || cuts < *limit; ++cuts) {
        const std::size_t found = whole.find(separator, start);
        if (found == std::string::npos)
            break;
        add(std::string_view(whole).substr(start, found - start));
        start = found + separator.size();
    }
    add(std::string_view(whole).substr(start));
    return Value(std::move(pieces));
}

Value replace(const Value& text, std::span<const Value> bound)
{
    if (!bound[0].isString() || !bound[1].isString())
        throw JinjaError(JinjaError::Kind::runtime, "replace() requires 'old' and 'new' string arguments");
    const std::optional<std::int64_t> limit = limitOf(bound[2]);
    const std::string old = composedText(utf8(bound[0]));
    const std::string& inserted = utf8(bound[1]);
    if (old.empty())
        return Value(insertedBeforeCharacters(utf8(text), inserted, limit));
    const std::string whole = composedText(utf8(text));
    if (!limit) {
        std::string replaced;
        std::size_t start = 0;
        for (std::size_t found; (found = whole.find(old, start)) != std::string::npos; start = found + old.size()) {
            replaced.append(whole, start, found - start);
            replaced += inserted;
            checkStringSize(replaced.size());
        }
        replaced.append(whole, start);
        checkStringSize(replaced.size());
        return Value(std::move(replaced));
    }
    return Value(replacedCounted(whole, old, inserted, *limit));
}

Value startswith(const Value& text, std::span<const Value> bound)
{
    if (!bound[0].isString())
        throw JinjaError(JinjaError::Kind::runtime, "startswith() requires a string prefix");
    return Value(composedText(utf8(text)).starts_with(composedText(utf8(bound[0]))));
}

Value endswith(const Value& text, std::span<const Value> bound)
{
    if (!bound[0].isString())
        throw JinjaError(JinjaError::Kind::runtime, "endswith() requires a string suffix");
    return Value(composedText(utf8(text)).ends_with(composedText(utf8(bound[0]))));
}

} // namespace Jinja::StringMethods

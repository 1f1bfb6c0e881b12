#include "Jinja/Syntax/WhitespaceControl.h"

#include "Platform/Text/CharacterProperties.h"

#include <unicode/utf8.h>

#include <algorithm>

namespace Jinja {

namespace {

// The first place at or after `from` where `marker` ("-%}", "-}}", "{%-" or
// "{{-") starts. The dash is the rarest of its bytes in templates, so the
// search looks for dashes.
std::size_t findMarker(std::string_view text, std::string_view marker, std::size_t from)
{
    const std::size_t dash = marker.find('-');
    for (std::size_t at = text.find('-', from + dash); at != std::string_view::npos; at = text.find('-', at + 1))
        if (at >= dash && text.size() - (at - dash) >= marker.size() &&
            std::equal(marker.begin(), marker.end(), text.begin() + static_cast<std::ptrdiff_t>(at - dash)))
            return at - dash;
    return std::string_view::npos;
}

// The byte length of the code point at `offset`; a malformed byte counts alone.
std::size_t codePointLength(std::string_view text, std::size_t offset)
{
    auto next = static_cast<int32_t>(offset);
    UChar32 c = 0;
    U8_NEXT(reinterpret_cast<const uint8_t*>(text.data()), next, static_cast<int32_t>(text.size()), c);
    return static_cast<std::size_t>(next) - offset;
}

// The start of the code point that ends at `offset`, not before `floor`.
std::size_t previousCodePoint(std::string_view text, std::size_t offset, std::size_t floor)
{
    auto previous = static_cast<int32_t>(offset);
    UChar32 c = 0;
    U8_PREV(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int32_t>(floor), previous, c);
    return static_cast<std::size_t>(previous);
}

bool isWhiteSpaceAt(std::string_view text, std::size_t offset)
{
    const auto byte = static_cast<unsigned char>(text[offset]);
    if (byte < 0x80)
        return byte == ' ' || (byte >= '\t' && byte <= '\r');
    auto next = static_cast<int32_t>(offset);
    UChar32 c = 0;
    U8_NEXT(reinterpret_cast<const uint8_t*>(text.data()), next, static_cast<int32_t>(text.size()), c);
    return c >= 0 && Platform::isWhiteSpace(static_cast<char32_t>(c));
}

// The offset of the first code point at or after `offset` that is not white space.
std::size_t skipWhiteSpace(std::string_view text, std::size_t offset)
{
    while (offset < text.size() && isWhiteSpaceAt(text, offset))
        offset += codePointLength(text, offset);
    return offset;
}

// The start of the white space that ends at `end`, not before `floor`.
std::size_t whiteSpaceRunStart(std::string_view text, std::size_t end, std::size_t floor)
{
    while (end > floor) {
        const std::size_t previous = previousCodePoint(text, end, floor);
        if (!isWhiteSpaceAt(text, previous))
            break;
        end = previous;
    }
    return end;
}

// "-%}" or "-}}" followed by any white space becomes the plain closer.
std::string trimAfterCloser(std::string text, std::string_view closer)
{
    if (findMarker(text, closer, 0) == std::string::npos)
        return text;
    const std::string_view view(text);
    std::string result;
    result.reserve(text.size());
    std::size_t offset = 0;
    for (std::size_t found = findMarker(view, closer, 0); found != std::string_view::npos;
         found = findMarker(view, closer, offset)) {
        result.append(view.substr(offset, found - offset)).append(closer.substr(1));
        offset = skipWhiteSpace(text, found + closer.size());
    }
    result.append(view.substr(offset));
    return result;
}

// A literal "{", white space and "{%-" (or "{{-") keep one space between the
// brace and the opener, so that the two do not run together. Each match ends
// at an opener, so the scan goes from opener to opener and looks back.
std::string separateBraceFromOpener(std::string text, std::string_view opener)
{
    std::size_t opening = findMarker(text, opener, 0);
    if (opening == std::string::npos)
        return text;
    const std::string_view view(text);
    std::string result;
    result.reserve(text.size());
    std::size_t offset = 0;
    for (; opening != std::string::npos; opening = findMarker(view, opener, opening + 1)) {
        const std::size_t runStart = whiteSpaceRunStart(view, opening, offset);
        if (runStart == opening || runStart == offset || view[runStart - 1] != '{')
            continue;
        result.append(view.substr(offset, runStart - offset)).append(" ").append(opener.substr(0, 2));
        offset = opening + opener.size();
    }
    result.append(view.substr(offset));
    return result;
}

// White space at the very start of the text before "{%-" (or "{{-") goes entirely.
std::string trimStartBeforeOpener(std::string text, std::string_view opener)
{
    const std::size_t end = skipWhiteSpace(text, 0);
    if (std::string_view(text).substr(end, opener.size()) != opener)
        return text;
    return std::string(opener.substr(0, 2)).append(std::string_view(text).substr(end + opener.size()));
}

// Any character other than "{", then white space and "{%-" (or "{{-"): the
// character stays, the white space goes. Each match ends at an opener, so the
// scan goes from opener to opener and looks back over the white space before
// it for the leftmost place where a match can start.
std::string trimBeforeOpener(std::string text, std::string_view opener)
{
    std::size_t opening = findMarker(text, opener, 1);
    if (opening == std::string::npos)
        return text;
    const std::string_view view(text);
    std::string result;
    result.reserve(text.size());
    std::size_t offset = 0;
    for (; opening != std::string::npos; opening = findMarker(view, opener, offset + 1)) {
        const std::size_t runStart = whiteSpaceRunStart(view, opening, offset);
        // The captured character: the one before the white space, unless that
        // is a "{" or the scan's start, where the first white-space character is.
        std::size_t start = runStart;
        if (runStart > offset) {
            start = previousCodePoint(view, runStart, offset);
            if (view[start] == '{')
                start = runStart;
        }
        if (start == opening) {
            result.append(view.substr(offset, opening + 1 - offset));
            offset = opening + 1;
            continue;
        }
        result.append(view.substr(offset, start - offset))
            .append(view.substr(start, codePointLength(view, start)))
            .append(opener.substr(0, 2));
        offset = opening + opener.size();
    }
    result.append(view.substr(offset));
    return result;
}

} // namespace

std::string applyWhitespaceControl(std::string_view text)
{
    std::string result = trimAfterCloser(std::string(text), "-%}");
    result = trimAfterCloser(std::move(result), "-}}");
    for (std::string_view opener : {std::string_view("{%-"), std::string_view("{{-")}) {
        result = separateBraceFromOpener(std::move(result), opener);
        // Before the general rule, which would keep the first white-space character.
        result = trimStartBeforeOpener(std::move(result), opener);
        result = trimBeforeOpener(std::move(result), opener);
    }
    return result;
}

} // namespace Jinja

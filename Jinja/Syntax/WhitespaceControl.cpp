#include "Jinja/Syntax/WhitespaceControl.h"

#include "Platform/Text/CharacterProperties.h"

#include <unicode/utf8.h>

namespace Jinja {

namespace {

// The byte length of the code point at `offset`; a malformed byte counts alone.
std::size_t codePointLength(std::string_view text, std::size_t offset)
{
    auto next = static_cast<int32_t>(offset);
    UChar32 c = 0;
    U8_NEXT(reinterpret_cast<const uint8_t*>(text.data()), next, static_cast<int32_t>(text.size()), c);
    return static_cast<std::size_t>(next) - offset;
}

// The offset of the first code point at or after `offset` that is not white space.
std::size_t skipWhiteSpace(std::string_view text, std::size_t offset)
{
    while (offset < text.size()) {
        const auto byte = static_cast<unsigned char>(text[offset]);
        if (byte < 0x80) {
            if (byte != ' ' && (byte < '\t' || byte > '\r'))
                break;
            ++offset;
            continue;
        }
        auto next = static_cast<int32_t>(offset);
        UChar32 c = 0;
        U8_NEXT(reinterpret_cast<const uint8_t*>(text.data()), next, static_cast<int32_t>(text.size()), c);
        if (c < 0 || !Platform::isWhiteSpace(static_cast<char32_t>(c)))
            break;
        offset = static_cast<std::size_t>(next);
    }
    return offset;
}

// "-%}" or "-}}" followed by any white space becomes the plain closer.
std::string trimAfterCloser(std::string_view text, std::string_view closer)
{
    std::string result;
    result.reserve(text.size());
    std::size_t offset = 0;
    for (std::size_t found = text.find(closer); found != std::string_view::npos; found = text.find(closer, offset)) {
        result.append(text.substr(offset, found - offset)).append(closer.substr(1));
        offset = skipWhiteSpace(text, found + closer.size());
    }
    result.append(text.substr(offset));
    return result;
}

// A literal "{", white space and "{%-" (or "{{-") keep one space between the
// brace and the opener, so that the two do not run together.
std::string separateBraceFromOpener(std::string_view text, std::string_view opener)
{
    std::string result;
    result.reserve(text.size());
    std::size_t offset = 0;
    for (std::size_t brace = text.find('{'); brace != std::string_view::npos; brace = text.find('{', offset)) {
        const std::size_t end = skipWhiteSpace(text, brace + 1);
        if (end > brace + 1 && text.substr(end, opener.size()) == opener) {
            result.append(text.substr(offset, brace - offset)).append("{ ").append(opener.substr(0, 2));
            offset = end + opener.size();
        } else {
            result.append(text.substr(offset, end - offset));
            offset = end;
        }
    }
    result.append(text.substr(offset));
    return result;
}

// White space at the very start of the text before "{%-" (or "{{-") goes entirely.
std::string trimStartBeforeOpener(std::string_view text, std::string_view opener)
{
    const std::size_t end = skipWhiteSpace(text, 0);
    if (text.substr(end, opener.size()) != opener)
        return std::string(text);
    return std::string(opener.substr(0, 2)).append(text.substr(end + opener.size()));
}

// Any character other than "{", then white space and "{%-" (or "{{-"): the
// character stays, the white space goes.
std::string trimBeforeOpener(std::string_view text, std::string_view opener)
{
    if (text.find(opener) == std::string_view::npos)
        return std::string(text);
    std::string result;
    result.reserve(text.size());
    std::size_t offset = 0;
    while (offset < text.size()) {
        if (text[offset] == '{') {
            result.push_back('{');
            ++offset;
            continue;
        }
        const std::size_t length = codePointLength(text, offset);
        const std::size_t end = skipWhiteSpace(text, offset + length);
        if (text.substr(end, opener.size()) == opener) {
            result.append(text.substr(offset, length)).append(opener.substr(0, 2));
            offset = end + opener.size();
        } else {
            // Every start inside the skipped white space ends at the same place, so fails too.
            result.append(text.substr(offset, end - offset));
            offset = end;
        }
    }
    return result;
}

} // namespace

std::string applyWhitespaceControl(std::string_view text)
{
    std::string result = trimAfterCloser(text, "-%}");
    result = trimAfterCloser(result, "-}}");
    for (std::string_view opener : {std::string_view("{%-"), std::string_view("{{-")}) {
        result = separateBraceFromOpener(result, opener);
        // Before the general rule, which would keep the first white-space character.
        result = trimStartBeforeOpener(result, opener);
        result = trimBeforeOpener(result, opener);
    }
    return result;
}

} // namespace Jinja

#include "Jinja/Syntax/BlockWhitespace.h"

namespace Jinja {

namespace {

// The byte length of a line terminator at `offset`, or 0: LF, VT, FF, CR, and
// NEL, LS and PS in UTF-8. Each one ends a line, so CR LF holds an empty line.
std::size_t lineTerminatorLength(std::string_view text, std::size_t offset)
{
    const char c = text[offset];
    if (c >= '\n' && c <= '\r')
        return 1;
    const std::string_view rest = text.substr(offset);
    if (rest.starts_with("\u0085"))
        return 2;
    if (rest.starts_with("\u2028") || rest.starts_with("\u2029"))
        return 3;
    return 0;
}

} // namespace

std::string stripBlockIndentation(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    std::size_t offset = 0;
    while (offset <= text.size()) {
        // At the start of a line.
        std::size_t indentEnd = offset;
        while (indentEnd < text.size() && (text[indentEnd] == ' ' || text[indentEnd] == '\t'))
            ++indentEnd;
        const std::string_view rest = text.substr(indentEnd);
        if (!rest.starts_with("{%") && !rest.starts_with("{#"))
            result.append(text.substr(offset, indentEnd - offset));
        offset = indentEnd;
        std::size_t terminator = 0;
        while (offset < text.size() && (terminator = lineTerminatorLength(text, offset)) == 0)
            ++offset;
        if (offset == text.size()) {
            result.append(text.substr(indentEnd));
            break;
        }
        result.append(text.substr(indentEnd, offset + terminator - indentEnd));
        offset += terminator;
    }
    return result;
}

std::string trimBlockLineFeeds(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t offset = 0; offset < text.size(); ++offset) {
        if (text[offset] == '\n' && offset >= 2 && text[offset - 1] == '}' &&
            (text[offset - 2] == '%' || text[offset - 2] == '#'))
            continue;
        result.push_back(text[offset]);
    }
    return result;
}

} // namespace Jinja

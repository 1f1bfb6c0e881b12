#include "Jinja/Builtins/Filters.h"
#include "Jinja/Builtins/Filters/KindChecks.h"
#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/Limits.h"
#include "Platform/Text/CharacterProperties.h"
#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/Graphemes.h"
#include "Platform/Text/UnicodeScalars.h"

namespace Jinja::Filters {

namespace {

const Signature stringSignature{
    .parameters = {}, .withoutInput = emptyText, .accepts = isString, .refused = emptyTextInstead};
const Signature safeSignature{.parameters = {}, .withoutInput = emptyText};

const Parameter wordwrapParameters[] = {{"width", Value(79)},
                                        {"break_long_words", Value(true)},
                                        {"wrapstring", Value::null()},
                                        {"break_on_hyphens", Value(true)}};
const Signature wordwrapSignature{
    .parameters = wordwrapParameters, .withoutInput = emptyText, .accepts = isString, .refused = emptyTextInstead};

bool isLineBreak(char32_t codePoint)
{
    return (codePoint >= U'\n' && codePoint <= U'\r') || codePoint == U'\u0085' || codePoint == U'\u2028' ||
           codePoint == U'\u2029';
}

// The words of each line, in order: runs between tabs and space separators.
std::vector<std::vector<std::string_view>> wordsByLine(std::string_view text)
{
    std::vector<std::vector<std::string_view>> lines(1);
    std::size_t offset = 0;
    std::size_t wordStart = 0;
    const auto endWord = [&] {
        if (offset > wordStart)
            lines.back().push_back(text.substr(wordStart, offset - wordStart));
    };
    Platform::forEachCodePoint(text, [&](std::optional<char32_t> codePoint, std::string_view bytes) {
        const bool lineBreak = codePoint && isLineBreak(*codePoint);
        if (lineBreak || (codePoint && Platform::contains(Platform::CharacterSet::whitespaces, *codePoint))) {
            endWord();
            wordStart = offset + bytes.size();
            if (lineBreak)
                lines.emplace_back();
        }
        offset += bytes.size();
    });
    endWord();
    return lines;
}

struct Piece {
    std::string_view text;
    std::size_t length;
};

// A word as it is placed: whole, or cut after its hyphens and into chunks of `width` characters.
void appendPieces(std::string_view word, std::size_t width, bool breakLongWords, bool breakOnHyphens,
                  std::vector<Piece>& pieces)
{
    const std::size_t length = Platform::graphemeCount(word);
    if (!breakLongWords || length <= width) {
        pieces.push_back({word, length});
        return;
    }
    std::vector<std::string_view> parts;
    if (breakOnHyphens) {
        for (std::size_t hyphen; (hyphen = word.find('-')) != std::string_view::npos; word.remove_prefix(hyphen + 1))
            parts.push_back(word.substr(0, hyphen + 1));
    }
    parts.push_back(word);
    for (std::string_view part : parts) {
        if (part.empty()) {
            pieces.push_back({part, 0});
            continue;
        }
        const std::vector<std::string_view> characters = Platform::graphemeClusters(part);
        for (std::size_t start = 0; start < characters.size(); start += width) {
            const std::size_t end = std::min(characters.size(), start + width);
            const std::string_view last = characters[end - 1];
            const auto begin = static_cast<std::size_t>(characters[start].data() - part.data());
            const auto stop = static_cast<std::size_t>(last.data() + last.size() - part.data());
            pieces.push_back({part.substr(begin, stop - begin), end - start});
        }
    }
}

} // namespace

std::string htmlEscaped(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char byte : text) {
        switch (byte) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&#34;"; break;
        case '\'': escaped += "&#39;"; break;
        default: escaped += byte;
        }
    }
    checkStringSize(escaped.size());
    return escaped;
}

Value forceescape(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, stringSignature);
    if (prologue.result)
        return *prologue.result;
    return Value(htmlEscaped(prologue.input.asString().utf8()));
}

Value safe(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, safeSignature);
    if (prologue.result)
        return *prologue.result;
    return prologue.input;
}

Value striptags(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, stringSignature);
    if (prologue.result)
        return *prologue.result;
    // Tags are a "<", at least one character other than ">", and a ">".
    const std::string_view text = prologue.input.asString().utf8();
    std::string untagged;
    std::size_t start = 0;
    for (std::size_t open = text.find('<'); open != std::string_view::npos; open = text.find('<', open + 1)) {
        const std::size_t close = text.find('>', open + 1);
        if (close == std::string_view::npos)
            break;
        if (close == open + 1)
            continue;
        untagged.append(text, start, open - start);
        start = close + 1;
        open = close;
    }
    untagged.append(text, start);
    // Runs of white space become one space, and none is left at either end.
    std::string folded;
    bool pendingSpace = false;
    Platform::forEachCodePoint(untagged, [&](std::optional<char32_t> codePoint, std::string_view bytes) {
        if (codePoint && Platform::isWhiteSpace(*codePoint)) {
            pendingSpace = !folded.empty();
            return;
        }
        if (pendingSpace)
            folded += ' ';
        pendingSpace = false;
        folded += bytes;
    });
    return Value(std::move(folded));
}

Value format(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    if (arguments.empty())
        return emptyText();
    if (arguments.size() == 1 || !arguments.front().isString())
        return arguments.front();
    const Prologue prologue = begin(arguments, keywordArguments, safeSignature);
    const std::string_view text = prologue.input.asString().utf8();
    std::size_t next = 1;
    std::string result;
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (text[index] != '%' || next == arguments.size()) {
            result += text[index];
            continue;
        }
        if (index + 1 == text.size()) {
            result += '%';
            break;
        }
        ++index;
        if (text[index] == 's')
            result += arguments[next++].description();
        else
            result.append({'%', text[index]});
        checkStringSize(result.size());
    }
    return Value(std::move(result));
}

Value wordwrap(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, wordwrapSignature);
    if (prologue.result)
        return *prologue.result;
    const std::int64_t width = prologue.bound[0].isInt() ? prologue.bound[0].asInt() : 79;
    const bool breakLongWords = prologue.bound[1].isTruthy();
    const std::string_view wrapstring =
        prologue.bound[2].isString() ? std::string_view(prologue.bound[2].asString().utf8()) : "\n";
    const bool breakOnHyphens = prologue.bound[3].isTruthy();
    // Chunks of no characters would never end.
    if (width < 1 && breakLongWords)
        throw JinjaError(JinjaError::Kind::runtime, "wordwrap filter requires positive integer width parameter");
    const std::size_t limit = width < 0 ? 0 : static_cast<std::size_t>(width);
    std::string result;
    bool anyLine = false;
    std::string current;
    std::size_t currentLength = 0;
    const auto emit = [&] {
        if (anyLine)
            result += wrapstring;
        result += current;
        checkStringSize(result.size());
        anyLine = true;
    };
    for (const std::vector<std::string_view>& words : wordsByLine(prologue.input.asString().utf8())) {
        std::vector<Piece> pieces;
        for (std::string_view word : words)
            appendPieces(word, limit, breakLongWords, breakOnHyphens, pieces);
        current.clear();
        for (const Piece& piece : pieces) {
            if (!current.empty() && currentLength + piece.length + 1 > limit) {
                emit();
                current.clear();
            }
            if (current.empty()) {
                current.assign(piece.text);
                currentLength = piece.length;
            } else {
                current.append(" ").append(piece.text);
                currentLength += piece.length + 1;
            }
        }
        if (!current.empty())
            emit();
    }
    return Value(std::move(result));
}

void addMarkupFilters(Table& table)
{
    table.emplace("forceescape", forceescape);
    table.emplace("safe", safe);
    table.emplace("striptags", striptags);
    table.emplace("format", format);
    table.emplace("wordwrap", wordwrap);
}

} // namespace Jinja::Filters

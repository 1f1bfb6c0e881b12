#include "Jinja/Syntax/Lexer.h"

#include "Jinja/JinjaError.h"
#include "Jinja/Syntax/WhitespaceControl.h"
#include "Jinja/Text/Characters.h"
#include "Platform/Text/CharacterProperties.h"
#include "Platform/Text/UnicodeScalars.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace Jinja::Lexer {

namespace {

using Kind = Token::Kind;

// The keywords; any other word is an identifier. Words are short, so a scan of
// the table's entries of the same length is quicker than hashing.
std::optional<Kind> keyword(std::string_view word)
{
    static constexpr std::pair<std::string_view, Kind> table[] = {
        {"if", Kind::if_},
        {"else", Kind::else_},
        {"elif", Kind::elif},
        {"endif", Kind::endif},
        {"for", Kind::for_},
        {"endfor", Kind::endfor},
        {"in", Kind::in},
        {"not", Kind::not_},
        {"and", Kind::and_},
        {"or", Kind::or_},
        {"set", Kind::set},
        {"endset", Kind::endset},
        {"macro", Kind::macro},
        {"endmacro", Kind::endmacro},
        {"true", Kind::boolean},
        {"false", Kind::boolean},
        {"null", Kind::null},
        {"none", Kind::null},
        {"break", Kind::break_},
        {"continue", Kind::continue_},
        {"call", Kind::call},
        {"endcall", Kind::endcall},
        {"filter", Kind::filter},
        {"endfilter", Kind::endfilter},
        {"generation", Kind::generation},
        {"endgeneration", Kind::endgeneration},
        {"True", Kind::boolean},
        {"False", Kind::boolean},
        {"None", Kind::null},
        {"is", Kind::is},
    };
    for (const auto& [text, kind] : table)
        if (text.size() == word.size() && text[0] == word[0] && text == word)
            return kind;
    return std::nullopt;
}

// The operators: "+" "-" "*" "/" "//" "**" "%" "~" "==" "!=" "<" "<=" ">"
// ">=" "=" "|", each read from its one or two characters, longest first.
std::optional<std::pair<Kind, std::size_t>> operatorAt(std::string_view first, std::string_view second)
{
    if (first.size() != 1)
        return std::nullopt;
    const char next = second.size() == 1 ? second[0] : '\0';
    switch (first[0]) {
    case '+': return std::pair{Kind::plus, 1};
    case '-': return std::pair{Kind::minus, 1};
    case '*': return next == '*' ? std::pair{Kind::power, 2} : std::pair{Kind::multiply, 1};
    case '/': return next == '/' ? std::pair{Kind::floorDivide, 2} : std::pair{Kind::divide, 1};
    case '%': return std::pair{Kind::modulo, 1};
    case '~': return std::pair{Kind::concat, 1};
    case '=': return next == '=' ? std::pair{Kind::equal, 2} : std::pair{Kind::equals, 1};
    case '!': return next == '=' ? std::optional(std::pair{Kind::notEqual, 2}) : std::nullopt;
    case '<': return next == '=' ? std::pair{Kind::lessEqual, 2} : std::pair{Kind::less, 1};
    case '>': return next == '=' ? std::pair{Kind::greaterEqual, 2} : std::pair{Kind::greater, 1};
    case '|': return std::pair{Kind::pipe, 1};
    default: return std::nullopt;
    }
}

std::optional<Kind> punctuation(std::string_view character)
{
    if (character.size() != 1)
        return std::nullopt;
    switch (character[0]) {
    case '(': return Kind::openParen;
    case ')': return Kind::closeParen;
    case '[': return Kind::openBracket;
    case ']': return Kind::closeBracket;
    case '{': return Kind::openBrace;
    case '}': return Kind::closeBrace;
    case ',': return Kind::comma;
    case '.': return Kind::dot;
    case ':': return Kind::colon;
    case '|': return Kind::pipe;
    default: return std::nullopt;
    }
}

// Characters are classified by their first code point.
char32_t leadingCodePoint(std::string_view character)
{
    if (!character.empty() && static_cast<unsigned char>(character[0]) < 0x80)
        return static_cast<char32_t>(character[0]);
    return Platform::firstCodePoint(character).value_or(U'\uFFFD');
}

bool isWhiteSpace(std::string_view character)
{
    const char32_t c = leadingCodePoint(character);
    return c < 0x80 ? c == ' ' || (c >= '\t' && c <= '\r') : Platform::isWhiteSpace(c);
}

bool isNumeric(std::string_view character)
{
    const char32_t c = leadingCodePoint(character);
    return c < 0x80 ? (c >= '0' && c <= '9') : Platform::hasNumericType(c);
}

bool isWordCharacter(std::string_view character, bool first)
{
    const char32_t c = leadingCodePoint(character);
    if (c < 0x80)
        return c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (!first && c >= '0' && c <= '9');
    return Platform::isAlphabetic(c) || (!first && Platform::hasNumericType(c));
}

JinjaError lexerError(std::string message, std::size_t position)
{
    message += std::to_string(position);
    return JinjaError(JinjaError::Kind::lexer, std::move(message), static_cast<std::int64_t>(position));
}

// One walk over the rewritten text, a character at a time.
class Walk {
public:
    explicit Walk(std::string_view text) : characters_(text) {}

    std::vector<Token> run()
    {
        std::vector<Token> tokens;
        if (characters_.size() >= 4)
            tokens.reserve(characters_.size() / 4);
        bool inTag = false;
        bool skipWhiteSpace = false;
        std::int64_t depth = 0;
        while (position_ < characters_.size()) {
            if (skipWhiteSpace) {
                while (position_ < characters_.size() && isWhiteSpace(characters_[position_]))
                    ++position_;
                if (position_ == characters_.size())
                    break;
            }
            Token token = extractToken(inTag, depth);
            switch (token.kind) {
            case Kind::openExpression:
            case Kind::openStatement:
                depth = 0;
                inTag = skipWhiteSpace = true;
                break;
            case Kind::closeExpression:
            case Kind::closeStatement: inTag = skipWhiteSpace = false; break;
            case Kind::openBrace: ++depth; break;
            case Kind::closeBrace: --depth; break;
            default: break;
            }
            tokens.push_back(std::move(token));
        }
        tokens.push_back(make(Kind::eof, position_, position_));
        return tokens;
    }

private:
    Token make(Kind kind, std::size_t begin, std::size_t end) const
    {
        return Token{kind, std::string(characters_.slice(begin, end)), static_cast<std::int64_t>(begin)};
    }

    // Whether the characters at the position are `first` then `second`.
    bool pairAt(std::size_t position, char first, char second) const
    {
        return characters_.is(position, first) && characters_.is(position + 1, second);
    }

    Token extractToken(bool inTag, std::int64_t depth)
    {
        const std::size_t start = position_;
        if (pairAt(start, '{', '{') || pairAt(start, '{', '%')) {
            position_ += 2;
            return make(characters_.is(start + 1, '{') ? Kind::openExpression : Kind::openStatement, start, position_);
        }
        if (pairAt(start, '{', '#'))
            return extractComment();
        if (depth == 0 && pairAt(start, '}', '}')) {
            position_ += 2;
            return make(Kind::closeExpression, start, position_);
        }
        if (pairAt(start, '%', '}')) {
            position_ += 2;
            return make(Kind::closeStatement, start, position_);
        }
        if (!inTag)
            return extractText(depth);
        const std::string_view character = characters_[start];
        if (const std::optional<Kind> kind = punctuation(character)) {
            ++position_;
            return make(*kind, start, position_);
        }
        if (const auto op = operatorAt(character, characters_[start + 1])) {
            position_ += op->second;
            return make(op->first, start, position_);
        }
        if (characters_.is(start, '\'') || characters_.is(start, '"'))
            return extractString(character[0]);
        if (isNumeric(character))
            return extractNumber();
        if (isWordCharacter(character, true))
            return extractWord();
        throw lexerError("Unexpected character '" + std::string(character) + "' at position ", start);
    }

    // Text up to the next tag opener, "%}", or "}}" that can close an
    // expression. Any other closer, such as "#}" or "}}" while a brace of an
    // earlier tag is still open, is text: nothing else could read it.
    Token extractText(std::int64_t depth)
    {
        const std::size_t start = position_;
        if (characters_.bytewise()) {
            // Only "{", "%" and "}" can begin a stop; the bytes between need no look.
            const std::string_view text = characters_.text();
            for (; (position_ = text.find_first_of("{%}", position_)) != std::string_view::npos; ++position_)
                if (stopsText(depth))
                    break;
            position_ = std::min(position_, text.size());
            return make(Kind::text, start, position_);
        }
        for (; position_ < characters_.size(); ++position_)
            if (stopsText(depth))
                break;
        return make(Kind::text, start, position_);
    }

    bool stopsText(std::int64_t depth) const
    {
        return (characters_.is(position_, '{') &&
                (characters_.is(position_ + 1, '{') || characters_.is(position_ + 1, '%') ||
                 characters_.is(position_ + 1, '#'))) ||
               pairAt(position_, '%', '}') || (depth == 0 && pairAt(position_, '}', '}'));
    }

    Token extractComment()
    {
        const std::size_t start = position_;
        for (std::size_t at = start + 2; at < characters_.size(); ++at)
            if (pairAt(at, '#', '}')) {
                position_ = at + 2;
                return Token{Kind::comment, std::string(characters_.slice(start + 2, at)),
                             static_cast<std::int64_t>(start)};
            }
        throw lexerError("Unclosed comment at position ", start);
    }

    Token extractString(char quote)
    {
        const std::size_t start = position_;
        std::string value;
        for (std::size_t at = start + 1;; ++at) {
            if (at >= characters_.size())
                throw lexerError("Unclosed string at position ", start);
            if (characters_.is(at, quote)) {
                position_ = at + 1;
                return Token{Kind::string, std::move(value), static_cast<std::int64_t>(start)};
            }
            if (!characters_.is(at, '\\')) {
                value += characters_[at];
                continue;
            }
            if (++at >= characters_.size())
                throw lexerError("Unclosed string at position ", start);
            const std::string_view escaped = characters_[at];
            if (escaped.size() == 1)
                value += unescaped(escaped[0]);
            else
                value += escaped;
        }
    }

    // The character a backslash and `c` stand for: c itself, except for these.
    static char unescaped(char c)
    {
        switch (c) {
        case 'n': return '\n';
        case 't': return '\t';
        case 'r': return '\r';
        case 'b': return '\b';
        case 'f': return '\f';
        case 'v': return '\v';
        default: return c;
        }
    }

    // Numeric characters with at most one "." after the first; no sign, exponent or base.
    Token extractNumber()
    {
        const std::size_t start = position_;
        bool seenPoint = false;
        for (++position_; position_ < characters_.size(); ++position_) {
            if (characters_.is(position_, '.') && !seenPoint)
                seenPoint = true;
            else if (!isNumeric(characters_[position_]))
                break;
        }
        return make(Kind::number, start, position_);
    }

    Token extractWord()
    {
        const std::size_t start = position_;
        for (++position_; position_ < characters_.size() && isWordCharacter(characters_[position_], false);)
            ++position_;
        Token token = make(Kind::identifier, start, position_);
        if (const std::optional<Kind> kind = keyword(token.value))
            token.kind = *kind;
        return token;
    }

    Characters characters_;
    std::size_t position_ = 0;
};

} // namespace

std::vector<Token> tokenize(std::string_view text)
{
    const std::string rewritten = applyWhitespaceControl(text);
    return Walk(rewritten).run();
}

std::vector<Token> tokenizeVerbatim(std::string_view text)
{
    return Walk(text).run();
}

} // namespace Jinja::Lexer

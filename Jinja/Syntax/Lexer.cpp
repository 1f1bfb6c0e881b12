#include "Jinja/Syntax/Lexer.h"

#include "Jinja/JinjaError.h"
#include "Jinja/Syntax/LexerTables.h"
#include "Jinja/Syntax/WhitespaceControl.h"
#include "Jinja/Text/Characters.h"
#include "Platform/Text/CharacterProperties.h"
#include "Platform/Text/UnicodeScalars.h"

#include <algorithm>
#include <optional>
#include <type_traits>
#include <vector>

namespace Jinja::Lexer {

namespace {

using Kind = Token::Kind;
using detail::keywordKind;
using detail::operatorAt;
using detail::punctuationKind;

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

JinjaError lexerError(std::string message, std::size_t position)
{
    message += std::to_string(position);
    return JinjaError(JinjaError::Kind::lexer, std::move(message), static_cast<std::int64_t>(position));
}

// One walk over the rewritten text, a character at a time: over
// ByteCharacters or Characters, so that the byte-per-character walk of most
// templates has no segmentation to look up.
template <class Text>
class Walk {
public:
    explicit Walk(const Text& characters) : characters_(characters) {}

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
                while (position_ < characters_.size() && isWhiteSpaceAt(position_))
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

    bool isWhiteSpaceAt(std::size_t position) const
    {
        const auto byte = static_cast<unsigned char>(characters_.asciiAt(position));
        return byte < 0x80 ? byte == ' ' || (byte >= '\t' && byte <= '\r') : isWhiteSpace(characters_[position]);
    }

    // Digits of any script, and other numerals.
    bool isNumericAt(std::size_t position) const
    {
        const char byte = characters_.asciiAt(position);
        if (static_cast<unsigned char>(byte) < 0x80)
            return byte >= '0' && byte <= '9';
        return position < characters_.size() && Platform::hasNumericType(leadingCodePoint(characters_[position]));
    }

    // Letters and "_", and after the first character also numerals.
    bool isWordCharacterAt(std::size_t position, bool first) const
    {
        const char byte = characters_.asciiAt(position);
        if (static_cast<unsigned char>(byte) < 0x80)
            return byte == '_' || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                   (!first && byte >= '0' && byte <= '9');
        if (position >= characters_.size())
            return false;
        const char32_t c = leadingCodePoint(characters_[position]);
        return Platform::isAlphabetic(c) || (!first && Platform::hasNumericType(c));
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
        const char byte = characters_.asciiAt(start);
        if (const std::optional<Kind> kind = punctuationKind(byte)) {
            ++position_;
            return make(*kind, start, position_);
        }
        // Operators, quotes, numerals and letters are apart, so the common
        // words and numbers are looked for first.
        if (byte == '\'' || byte == '"')
            return extractString(byte);
        if (isNumericAt(start))
            return extractNumber();
        if (isWordCharacterAt(start, true))
            return extractWord();
        if (const auto op = operatorAt(byte, characters_.asciiAt(start + 1))) {
            position_ += op->second;
            return make(op->first, start, position_);
        }
        const std::string_view character = characters_[start];
        throw lexerError("Unexpected character '" + std::string(character) + "' at position ", start);
    }

    // Text up to the next tag opener, "%}", or "}}" that can close an
    // expression. Any other closer, such as "#}" or "}}" while a brace of an
    // earlier tag is still open, is text: nothing else could read it.
    Token extractText(std::int64_t depth)
    {
        const std::size_t start = position_;
        if constexpr (std::is_same_v<Text, ByteCharacters>) {
            // Only "{", "%" and "}" can begin a stop; the bytes between need no look.
            const std::string_view text = characters_.slice(0, characters_.size());
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
            else if (!isNumericAt(position_))
                break;
        }
        return make(Kind::number, start, position_);
    }

    Token extractWord()
    {
        const std::size_t start = position_;
        for (++position_; position_ < characters_.size() && isWordCharacterAt(position_, false);)
            ++position_;
        Token token = make(Kind::identifier, start, position_);
        if (const std::optional<Kind> kind = keywordKind(token.value))
            token.kind = *kind;
        return token;
    }

    const Text& characters_;
    std::size_t position_ = 0;
};

} // namespace

std::vector<Token> tokenize(std::string_view text)
{
    return tokenizeVerbatim(applyWhitespaceControl(text));
}

std::vector<Token> tokenizeVerbatim(std::string_view text)
{
    if (ByteCharacters::fits(text))
        return Walk<ByteCharacters>(ByteCharacters(text)).run();
    return Walk<Characters>(Characters(text)).run();
}

} // namespace Jinja::Lexer

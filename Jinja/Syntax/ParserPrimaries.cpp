// The tightest level of expressions: literals, names, groups and tuples,
// array and object literals, and splats.

#include "Jinja/Syntax/ParserState.h"

#include <algorithm>
#include <charconv>

namespace Jinja::detail {

Expression ParserState::parsePrimary()
{
    switch (current().kind) {
    case Kind::openParen: advance(); return parseParenthesized();
    case Kind::openBracket: advance(); return parseArrayLiteral();
    case Kind::openBrace: advance(); return parseObjectLiteral();
    case Kind::multiply: return parseSplat();
    default: return parseLiteral();
    }
}

// A literal or a name.
Expression ParserState::parseLiteral()
{
    const Token& token = current();
    switch (token.kind) {
    case Kind::string: advance(); return StringLiteral{token.value};
    case Kind::number: advance(); return parseNumber(token);
    case Kind::boolean: advance(); return BooleanLiteral{token.value == "true" || token.value == "True"};
    case Kind::null: advance(); return NullLiteral{};
    // Keywords that can also name a variable where an operand is expected.
    case Kind::identifier:
    case Kind::and_:
    case Kind::or_:
    case Kind::not_:
    case Kind::in:
    case Kind::is:
    case Kind::if_:
    case Kind::else_:
    case Kind::for_:
    case Kind::set:
    case Kind::break_:
    case Kind::continue_: advance(); return Identifier{token.value};
    default: failAtCurrent("Unexpected token for primary expression: ");
    }
}

// At "*": a primary only, so postfixes written after it apply to the whole splat.
Expression ParserState::parseSplat()
{
    advance();
    Nesting nesting(*this);
    nesting.deepen();
    return UnaryExpression{UnaryOp::splat, parsePrimary()};
}

// Decimal digits 0-9 only, with one point for a floating-point number. A
// literal that does not fit in 64 bits, or that uses other digits, fails
// rather than reading as 0.
Expression ParserState::parseNumber(const Token& token) const
{
    const std::string& text = token.value;
    const char* begin = text.data();
    const char* end = begin + text.size();
    const bool ascii = !text.empty() &&
                       std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
    if (ascii && text.find('.') == std::string::npos) {
        std::int64_t value = 0;
        const auto [stop, failure] = std::from_chars(begin, end, value);
        if (failure == std::errc() && stop == end)
            return IntegerLiteral{value};
    } else if (ascii) {
        double value = 0;
        const auto [stop, failure] = std::from_chars(begin, end, value, std::chars_format::fixed);
        if (failure == std::errc() && stop == end)
            return NumberLiteral{value};
    }
    throw JinjaError(JinjaError::Kind::parser, "Invalid number literal: " + text, token.position);
}

// After "(": a group, or a tuple when a comma follows the first element.
Expression ParserState::parseParenthesized()
{
    if (at(Kind::closeParen)) {
        advance();
        return TupleLiteral{};
    }
    Expression first = parseTernary();
    if (!at(Kind::comma)) {
        consume(Kind::closeParen, "Expected ')' after expression.");
        return first;
    }
    return parseTupleRest(std::move(first));
}

// After "(first,": the further elements, a trailing comma allowed.
Expression ParserState::parseTupleRest(Expression first)
{
    advance();
    ExpressionList elements;
    elements.push_back(std::move(first));
    while (!at(Kind::closeParen)) {
        elements.push_back(parseTernary());
        if (!at(Kind::comma))
            break;
        advance();
    }
    consume(Kind::closeParen, "Expected ')' after tuple.");
    return TupleLiteral{std::move(elements)};
}

Expression ParserState::parseArrayLiteral()
{
    ExpressionList elements;
    while (!at(Kind::closeBracket)) {
        elements.push_back(parseTernary());
        if (!at(Kind::comma))
            break;
        advance();
    }
    consume(Kind::closeBracket, "Expected ']' after array literal.");
    return ArrayLiteral{std::move(elements)};
}

// Keys are names or string literals, taken as written; a name is not looked up.
Expression ParserState::parseObjectLiteral()
{
    ExpressionDictionary entries;
    while (!at(Kind::closeBrace)) {
        String key;
        if (at(Kind::identifier))
            key = consume(Kind::identifier, "Expected identifier for object key.").value;
        else if (at(Kind::string))
            key = consume(Kind::string, "Expected string literal for object key.").value;
        else
            failAtCurrent("Expected string literal or identifier for object key. Got ", " instead");
        consume(Kind::colon, "Expected ':' after object key.");
        entries.updateValue(parseTernary(), key);
        if (!at(Kind::comma))
            break;
        advance();
    }
    consume(Kind::closeBrace, "Expected '}' after object literal.");
    return ObjectLiteral{std::move(entries)};
}

} // namespace Jinja::detail

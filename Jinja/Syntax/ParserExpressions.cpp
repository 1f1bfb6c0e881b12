// The precedence chain, loosest to tightest: conditional, or, and, not,
// comparisons and tests, + -, concatenation, filters, * / // %, **, prefix
// signs, calls and subscripts, primaries.

#include "Jinja/Syntax/ParserState.h"

#include <algorithm>
#include <charconv>

namespace Jinja::detail {

namespace {

BinaryExpression binary(BinaryOp op, Expression left, Expression right)
{
    return BinaryExpression{op, std::move(left), std::move(right)};
}

} // namespace

std::pair<ExpressionList, ExpressionEntries> ParserState::parseArguments()
{
    std::pair<ExpressionList, ExpressionEntries> arguments;
    if (at(Kind::closeParen))
        return arguments;
    while (true) {
        if (at(Kind::identifier) && nextKind() == Kind::equals) {
            String name = current().value;
            advance();
            advance();
            arguments.second.assign(std::move(name), parseTernary());
        } else {
            arguments.first.push_back(parseTernary());
        }
        if (!at(Kind::comma))
            return arguments;
        advance();
    }
}

Expression ParserState::parseTernary()
{
    const Nesting nesting(*this);
    Expression value = parseOr();
    if (!at(Kind::if_))
        return value;
    advance();
    Expression test = parseOr();
    OptionalExpression alternate;
    if (at(Kind::else_)) {
        advance();
        alternate = parseTernary();
    }
    return TernaryExpression{std::move(value), std::move(test), std::move(alternate)};
}

Expression ParserState::parseOr()
{
    Nesting nesting(*this);
    Expression left = parseAnd();
    while (at(Kind::or_)) {
        advance();
        nesting.deepen();
        left = binary(BinaryOp::or_, std::move(left), parseAnd());
    }
    return left;
}

Expression ParserState::parseAnd()
{
    Nesting nesting(*this);
    Expression left = parseNot();
    while (at(Kind::and_)) {
        advance();
        nesting.deepen();
        left = binary(BinaryOp::and_, std::move(left), parseNot());
    }
    return left;
}

Expression ParserState::parseNot()
{
    if (!at(Kind::not_))
        return parseComparison();
    const Nesting nesting(*this);
    advance();
    return UnaryExpression{UnaryOp::not_, parseNot()};
}

Expression ParserState::parseComparison()
{
    Nesting nesting(*this);
    Expression left = parseTerm();
    while (true) {
        std::optional<BinaryOp> op;
        switch (current().kind) {
        case Kind::equal: op = BinaryOp::equal; break;
        case Kind::notEqual: op = BinaryOp::notEqual; break;
        case Kind::less: op = BinaryOp::less; break;
        case Kind::lessEqual: op = BinaryOp::lessEqual; break;
        case Kind::greater: op = BinaryOp::greater; break;
        case Kind::greaterEqual: op = BinaryOp::greaterEqual; break;
        case Kind::in: op = BinaryOp::in; break;
        case Kind::not_:
            if (nextKind() == Kind::in) {
                advance();
                op = BinaryOp::notIn;
                break;
            }
            // "x not is y" reads as "x is y"; any other "not" ends the comparison.
            advance();
            if (!at(Kind::is))
                return left;
            [[fallthrough]];
        case Kind::is: left = parseTestAfterIs(std::move(left), nesting); continue;
        default: return left;
        }
        advance();
        nesting.deepen();
        left = binary(*op, std::move(left), parseTerm());
    }
}

// At "is": the test name, "not", and the arguments in parentheses or one bare operand.
Expression ParserState::parseTestAfterIs(Expression operand, Nesting& nesting)
{
    advance();
    nesting.deepen();
    bool negated = false;
    if (at(Kind::not_)) {
        advance();
        negated = true;
    }
    String name;
    if (atAny({Kind::boolean, Kind::null})) {
        name = current().value;
        advance();
    } else if (at(Kind::identifier)) {
        name = consumeIdentifier();
    } else {
        throw error("Expected test name but found " + std::string(tokenKindNames.name(current().kind)) + ".");
    }
    ExpressionList arguments;
    if (at(Kind::openParen)) {
        advance();
        arguments = parseArguments().first;
        consume(Kind::closeParen, "Expected ')' after test arguments.");
    } else if (atAny({Kind::string, Kind::number, Kind::boolean, Kind::null, Kind::identifier})) {
        arguments.push_back(parseConcat());
    }
    return TestExpression{std::move(operand), std::move(name), std::move(arguments), negated};
}

Expression ParserState::parseTerm()
{
    Nesting nesting(*this);
    Expression left = parseConcat();
    while (atAny({Kind::plus, Kind::minus})) {
        const BinaryOp op = at(Kind::plus) ? BinaryOp::add : BinaryOp::subtract;
        advance();
        nesting.deepen();
        left = binary(op, std::move(left), parseConcat());
    }
    return left;
}

// "~", and an operand written right after another: 'a' 'b' is 'a' ~ 'b'.
Expression ParserState::parseConcat()
{
    Nesting nesting(*this);
    Expression left = parseFilter();
    while (true) {
        if (at(Kind::concat))
            advance();
        else if (!atAny({Kind::string, Kind::identifier, Kind::number, Kind::boolean, Kind::openParen,
                         Kind::openBracket, Kind::openBrace}))
            return left;
        nesting.deepen();
        left = binary(BinaryOp::concat, std::move(left), parseFilter());
    }
}

Expression ParserState::parseFilter()
{
    Nesting nesting(*this);
    Expression operand = parseFactor();
    while (at(Kind::pipe)) {
        advance();
        nesting.deepen();
        String name = consumeIdentifier();
        std::pair<ExpressionList, ExpressionEntries> arguments;
        if (at(Kind::openParen)) {
            advance();
            arguments = parseArguments();
            consume(Kind::closeParen, "Expected ')' after filter arguments.");
        }
        operand = FilterExpression{std::move(operand), std::move(name), std::move(arguments.first),
                                   std::move(arguments.second)};
    }
    return operand;
}

Expression ParserState::parseFactor()
{
    Nesting nesting(*this);
    Expression left = parseExponent();
    while (true) {
        BinaryOp op;
        switch (current().kind) {
        case Kind::multiply: op = BinaryOp::multiply; break;
        case Kind::divide: op = BinaryOp::divide; break;
        case Kind::floorDivide: op = BinaryOp::floorDivide; break;
        case Kind::modulo: op = BinaryOp::modulo; break;
        default: return left;
        }
        advance();
        nesting.deepen();
        left = binary(op, std::move(left), parseExponent());
    }
}

// Left-associative: 2 ** 3 ** 2 is (2 ** 3) ** 2.
Expression ParserState::parseExponent()
{
    Nesting nesting(*this);
    Expression left = parseUnary();
    while (at(Kind::power)) {
        advance();
        nesting.deepen();
        left = binary(BinaryOp::power, std::move(left), parseUnary());
    }
    return left;
}

Expression ParserState::parseUnary()
{
    if (!atAny({Kind::minus, Kind::plus}))
        return parseAccess();
    const Nesting nesting(*this);
    const UnaryOp op = at(Kind::minus) ? UnaryOp::minus : UnaryOp::plus;
    advance();
    return UnaryExpression{op, parseUnary()};
}

Expression ParserState::parseAccess()
{
    Nesting nesting(*this);
    Expression object = parsePrimary();
    while (true) {
        if (at(Kind::openParen)) {
            advance();
            auto [arguments, keywordArguments] = parseArguments();
            consume(Kind::closeParen, "Expected ')' after arguments.");
            object = CallExpression{std::move(object), std::move(arguments), std::move(keywordArguments)};
        } else if (at(Kind::openBracket)) {
            advance();
            object = parseSubscript(std::move(object));
        } else if (at(Kind::dot)) {
            advance();
            object = MemberExpression{std::move(object), Expression(Identifier{consumeIdentifier()}), false};
        } else {
            return object;
        }
        nesting.deepen();
    }
}

// After "[": an index, or a slice with any of its three parts left out.
Expression ParserState::parseSubscript(Expression object)
{
    // A part that does not parse is absent; the tokens it read stay read.
    const auto optionalPart = [this]() -> OptionalExpression {
        try {
            return parseTernary();
        } catch (const JinjaError&) {
            if (tooDeep_)
                throw;
            return std::nullopt;
        }
    };
    OptionalExpression start = optionalPart();
    Expression result = NullLiteral{};
    if (at(Kind::colon)) {
        advance();
        OptionalExpression stop = optionalPart();
        OptionalExpression step;
        if (at(Kind::colon)) {
            advance();
            step = parseTernary();
        }
        result = SliceExpression{std::move(object), std::move(start), std::move(stop), std::move(step)};
    } else if (!start) {
        throw error("Invalid subscript");
    } else {
        result = MemberExpression{std::move(object), std::move(*start), true};
    }
    consume(Kind::closeBracket, "Expected ']' after index.");
    return result;
}

Expression ParserState::parsePrimary()
{
    const Token& token = current();
    switch (token.kind) {
    case Kind::string: advance(); return StringLiteral{token.value};
    case Kind::number: advance(); return parseNumber(token);
    case Kind::boolean: advance(); return BooleanLiteral{token.value == "true" || token.value == "True"};
    case Kind::null: advance(); return NullLiteral{};
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
    case Kind::openParen: advance(); return parseParenthesized();
    case Kind::openBracket: advance(); return parseArrayLiteral();
    case Kind::openBrace: advance(); return parseObjectLiteral();
    case Kind::multiply: {
        advance();
        const Nesting nesting(*this);
        return UnaryExpression{UnaryOp::splat, parsePrimary()};
    }
    default: throw error("Unexpected token for primary expression: " + std::string(tokenKindNames.name(token.kind)));
    }
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
    ExpressionEntries entries;
    while (!at(Kind::closeBrace)) {
        String key;
        if (at(Kind::identifier))
            key = consume(Kind::identifier, "Expected identifier for object key.").value;
        else if (at(Kind::string))
            key = consume(Kind::string, "Expected string literal for object key.").value;
        else
            throw error("Expected string literal or identifier for object key. Got " +
                        std::string(tokenKindNames.name(current().kind)) + " instead");
        consume(Kind::colon, "Expected ':' after object key.");
        entries.assign(std::move(key), parseTernary());
        if (!at(Kind::comma))
            break;
        advance();
    }
    consume(Kind::closeBrace, "Expected '}' after object literal.");
    return ObjectLiteral{std::move(entries)};
}

} // namespace Jinja::detail

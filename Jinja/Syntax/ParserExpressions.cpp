// Expressions, loosest to tightest: conditional; or; and; prefix not;
// comparisons and tests; + -; concatenation; filters; * / // %; **; prefix
// signs; calls, subscripts and members; primaries (in their own file). All
// binary levels are left-associative ("2 ** 3 ** 2" is "(2 ** 3) ** 2"), and
// a filter binds tighter than + and ~ but looser than *.

#include "Jinja/Syntax/ParserState.h"

namespace Jinja::detail {

std::pair<ExpressionList, ExpressionDictionary> ParserState::parseArguments()
{
    std::pair<ExpressionList, ExpressionDictionary> arguments;
    if (at(Kind::closeParen))
        return arguments;
    while (true) {
        if (at(Kind::identifier) && nextKind() == Kind::equals) {
            String name = current().value;
            advance();
            advance();
            arguments.second.updateValue(parseTernary(), name);
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
    Nesting nesting(*this);
    nesting.deepen();
    const int enclosingCap = levelCap_;
    levelCap_ = INT_MAX;
    Expression value = parseBinary(orLevel);
    if (at(Kind::if_))
        applyCondition(value);
    levelCap_ = enclosingCap;
    return value;
}

// At "if": the test, and the alternate after "else", itself a conditional.
void ParserState::applyCondition(Expression& value)
{
    advance();
    levelCap_ = INT_MAX;
    Expression test = parseBinary(orLevel);
    OptionalExpression alternate;
    if (at(Kind::else_)) {
        advance();
        alternate = parseTernary();
    }
    value = TernaryExpression{std::move(value), std::move(test), std::move(alternate)};
}

// The level of the operator at the current token, 0 for none. An operand
// that starts right after another is concatenated: 'a' 'b' is 'a' ~ 'b'.
int ParserState::operatorLevel() const
{
    if (atAny(primaryExpressionStarters))
        return concatLevel;
    switch (current().kind) {
    case Kind::or_: return orLevel;
    case Kind::and_: return andLevel;
    case Kind::equal:
    case Kind::notEqual:
    case Kind::less:
    case Kind::lessEqual:
    case Kind::greater:
    case Kind::greaterEqual:
    case Kind::in:
    case Kind::not_:
    case Kind::is: return comparisonLevel;
    case Kind::plus:
    case Kind::minus: return termLevel;
    case Kind::concat: return concatLevel;
    case Kind::pipe: return filterLevel;
    case Kind::multiply:
    case Kind::divide:
    case Kind::floorDivide:
    case Kind::modulo: return factorLevel;
    case Kind::power: return exponentLevel;
    default: return 0;
    }
}

// An operand, then every operator of at least `minimumLevel`, each applied to
// what came before it.
Expression ParserState::parseBinary(int minimumLevel)
{
    Nesting nesting(*this);
    Expression left = minimumLevel <= notLevel && at(Kind::not_) ? parseNotPrefix()
                      : atAny({Kind::minus, Kind::plus})         ? parseSigned()
                                                                 : parseAccess();
    while (true) {
        const int level = operatorLevel();
        if (level < minimumLevel || level > levelCap_)
            return left;
        if (at(Kind::not_) && nextKind() != Kind::in) {
            // "x not is y" reads as "x is y"; any other "not" ends the comparisons.
            advance();
            if (!at(Kind::is)) {
                levelCap_ = notLevel;
                continue;
            }
        }
        nesting.deepen();
        applyBinary(left, level);
    }
}

// "not x": the operand is a comparison, or another "not".
Expression ParserState::parseNotPrefix()
{
    Nesting nesting(*this);
    nesting.deepen();
    advance();
    return UnaryExpression{UnaryOp::not_, at(Kind::not_) ? parseNotPrefix() : parseBinary(comparisonLevel)};
}

// The operator at the current token of `level` applied to `left`.
void ParserState::applyBinary(Expression& left, int level)
{
    if (at(Kind::is))
        return applyTest(left);
    if (at(Kind::pipe))
        return applyFilter(left);
    BinaryOp op = BinaryOp::concat;
    switch (current().kind) {
    case Kind::or_: op = BinaryOp::or_; break;
    case Kind::and_: op = BinaryOp::and_; break;
    case Kind::equal: op = BinaryOp::equal; break;
    case Kind::notEqual: op = BinaryOp::notEqual; break;
    case Kind::less: op = BinaryOp::less; break;
    case Kind::lessEqual: op = BinaryOp::lessEqual; break;
    case Kind::greater: op = BinaryOp::greater; break;
    case Kind::greaterEqual: op = BinaryOp::greaterEqual; break;
    case Kind::in: op = BinaryOp::in; break;
    case Kind::not_:
        advance();
        op = BinaryOp::notIn;
        break;
    case Kind::plus: op = BinaryOp::add; break;
    case Kind::minus: op = BinaryOp::subtract; break;
    case Kind::multiply: op = BinaryOp::multiply; break;
    case Kind::divide: op = BinaryOp::divide; break;
    case Kind::floorDivide: op = BinaryOp::floorDivide; break;
    case Kind::modulo: op = BinaryOp::modulo; break;
    case Kind::power: op = BinaryOp::power; break;
    default: break;
    }
    // An operand written right after another is concatenated without a "~".
    if (op != BinaryOp::concat || at(Kind::concat))
        advance();
    // Exponents take a signed operand only, so "2 ** -x" works and "**" chains to the left.
    Expression right = level != exponentLevel             ? parseBinary(level + 1)
                       : atAny({Kind::minus, Kind::plus}) ? parseSigned()
                                                          : parseAccess();
    left = BinaryExpression{op, std::move(left), std::move(right)};
}

// At "is": "not", the test name, and its arguments in parentheses or one bare operand.
void ParserState::applyTest(Expression& operand)
{
    advance();
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
        failAtCurrent("Expected test name but found ", ".");
    }
    ExpressionList arguments;
    if (at(Kind::openParen)) {
        advance();
        arguments = parseArguments().first;
        consume(Kind::closeParen, "Expected ')' after test arguments.");
    } else if (atAny({Kind::string, Kind::number, Kind::boolean, Kind::null, Kind::identifier})) {
        arguments.push_back(parseBinary(concatLevel));
    }
    operand = TestExpression{std::move(operand), std::move(name), std::move(arguments), negated};
}

// At "|": the filter name and its arguments, if any.
void ParserState::applyFilter(Expression& operand)
{
    advance();
    String name = consumeIdentifier();
    std::pair<ExpressionList, ExpressionDictionary> arguments;
    if (at(Kind::openParen)) {
        advance();
        arguments = parseArguments();
        consume(Kind::closeParen, "Expected ')' after filter arguments.");
    }
    operand =
        FilterExpression{std::move(operand), std::move(name), std::move(arguments.first), std::move(arguments.second)};
}

// At "-" or "+": the signs nest to the right, over a postfix expression.
Expression ParserState::parseSigned()
{
    Nesting nesting(*this);
    nesting.deepen();
    const UnaryOp op = at(Kind::minus) ? UnaryOp::minus : UnaryOp::plus;
    advance();
    return UnaryExpression{op, atAny({Kind::minus, Kind::plus}) ? parseSigned() : parseAccess()};
}

Expression ParserState::parseAccess()
{
    Nesting nesting(*this);
    Expression object = parsePrimary();
    while (true) {
        if (at(Kind::openParen)) {
            applyCall(object);
        } else if (at(Kind::openBracket)) {
            applySubscript(object);
        } else if (at(Kind::dot)) {
            applyMember(object);
        } else {
            return object;
        }
        nesting.deepen();
    }
}

void ParserState::applyCall(Expression& callee)
{
    advance();
    auto [arguments, keywordArguments] = parseArguments();
    consume(Kind::closeParen, "Expected ')' after arguments.");
    callee = CallExpression{std::move(callee), std::move(arguments), std::move(keywordArguments)};
}

void ParserState::applyMember(Expression& object)
{
    advance();
    object = MemberExpression{std::move(object), Expression(Identifier{consumeIdentifier()}), false};
}

// At "[": an index, or a slice with any of its three parts left out.
void ParserState::applySubscript(Expression& object)
{
    advance();
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
    if (at(Kind::colon)) {
        advance();
        OptionalExpression stop = optionalPart();
        OptionalExpression step;
        if (at(Kind::colon)) {
            advance();
            step = parseTernary();
        }
        object = SliceExpression{std::move(object), std::move(start), std::move(stop), std::move(step)};
    } else if (!start) {
        throw error("Invalid subscript");
    } else {
        object = MemberExpression{std::move(object), std::move(*start), true};
    }
    consume(Kind::closeBracket, "Expected ']' after index.");
}

// Kept out of line, so that the parsing steps' frames hold no message text.
void ParserState::failAtCurrent(const std::string& prefix, const std::string& suffix) const
{
    throw error(prefix + std::string(tokenKindNames.name(current().kind)) + suffix);
}

} // namespace Jinja::detail

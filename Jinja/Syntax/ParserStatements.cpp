// The statements inside {% %}: if, for, set, macro, call, filter and
// generation blocks with their bodies and end tags, and break and continue.

#include "Jinja/Syntax/ParserState.h"

namespace Jinja::detail {

Statement ParserState::parseStatement()
{
    Nesting nesting(*this);
    nesting.deepen();
    const Kind kind = current().kind;
    if (kind != Kind::eof)
        advance();
    switch (kind) {
    case Kind::if_: return parseIfStatement();
    case Kind::for_: return parseForStatement();
    case Kind::set: return parseSetStatement();
    case Kind::macro: return parseMacroStatement();
    case Kind::break_: consume(Kind::closeStatement, "Expected '%}' after break."); return BreakStatement{};
    case Kind::continue_: consume(Kind::closeStatement, "Expected '%}' after continue."); return ContinueStatement{};
    case Kind::call: return parseCallStatement();
    case Kind::filter: return parseFilterStatement();
    case Kind::generation: return parseGenerationStatement();
    default: failUnknownStatement(kind);
    }
}

// The keyword was consumed already; eof has no text.
void ParserState::failUnknownStatement(Kind kind) const
{
    throw error("Unknown statement: " + (kind == Kind::eof ? std::string() : tokens_[current_ - 1].value));
}

void ParserState::parseBody(NodeList& nodes, KindSet endKinds)
{
    while (!at(Kind::eof)) {
        if (at(Kind::openStatement) && endKinds.contains(nextKind()))
            return;
        append(nodes, parseNode());
    }
}

void ParserState::parseBlockBody(NodeList& body, Kind endKind, std::string_view name)
{
    parseBody(body, KindSet(endKind));
    const std::string text(name);
    consume(Kind::openStatement, "Expected '{%' for " + text + ".");
    consume(endKind, "Expected '" + text + "'.");
    consume(Kind::closeStatement, "Expected '%}' after " + text + ".");
}

Statement ParserState::parseIfStatement()
{
    IfStatement statement{parseTernary(), {}, {}};
    consume(Kind::closeStatement, "Expected '%}' after if condition.");
    parseBody(statement.body, {Kind::elif, Kind::else_, Kind::endif});
    parseIfEnd(statement.alternate);
    return statement;
}

// After the body: an elif chain as one nested if, an else body, or the end tag.
void ParserState::parseIfEnd(NodeList& alternate)
{
    if (!at(Kind::openStatement))
        throw error("Unclosed if statement");
    advance();
    if (at(Kind::elif)) {
        advance();
        Nesting nesting(*this);
        nesting.deepen();
        alternate.emplace_back(parseIfStatement());
    } else if (at(Kind::else_)) {
        advance();
        consume(Kind::closeStatement, "Expected '%}' after else.");
        parseBlockBody(alternate, Kind::endif, "endif");
    } else {
        consume(Kind::endif, "Expected 'endif'.");
        consume(Kind::closeStatement, "Expected '%}' after endif.");
    }
}

Statement ParserState::parseForStatement()
{
    ForStatement loop = parseForHead();
    parseBody(loop.body, {Kind::else_, Kind::endfor});
    if (!at(Kind::openStatement))
        throw error("Unclosed for loop");
    advance();
    if (at(Kind::else_)) {
        advance();
        consume(Kind::closeStatement, "Expected '%}' after else.");
        parseBlockBody(loop.elseBody, Kind::endfor, "endfor");
    } else {
        consume(Kind::endfor, "Expected 'endfor'.");
        consume(Kind::closeStatement, "Expected '%}' after endfor.");
    }
    return loop;
}

// "x in items if test" or "a, b in items" up to the "%}".
ForStatement ParserState::parseForHead()
{
    LoopVariable variable;
    variable.names.emplace_back(consumeIdentifier());
    while (at(Kind::comma)) {
        advance();
        variable.names.emplace_back(consumeIdentifier());
    }
    consume(Kind::in, "Expected 'in' in for loop.");
    // Filters and tighter only, so that a trailing "if" is the loop's filter.
    ForStatement loop{std::move(variable), parseBinary(filterLevel), {}, {}, std::nullopt};
    if (at(Kind::if_)) {
        advance();
        loop.test = parseTernary();
    }
    consume(Kind::closeStatement, "Expected '%}' after for loop.");
    return loop;
}

Statement ParserState::parseSetStatement()
{
    SetStatement set{parseExpressionSequence(), std::nullopt, {}};
    if (at(Kind::equals)) {
        advance();
        set.value = parseExpressionSequence();
        consume(Kind::closeStatement, "Expected '%}' after set statement.");
        return set;
    }
    consume(Kind::closeStatement, "Expected '%}' after set statement.");
    parseBlockBody(set.body, Kind::endset, "endset");
    return set;
}

Statement ParserState::parseMacroStatement()
{
    MacroStatement macro = parseMacroHead();
    parseBlockBody(macro.body, Kind::endmacro, "endmacro");
    return macro;
}

// "name(a, b=1, c)" up to the "%}". A parameter without a default may follow
// one with a default; a repeated name is listed twice and keeps its last default.
MacroStatement ParserState::parseMacroHead()
{
    MacroStatement macro{consumeIdentifier(), {}, {}, {}};
    consume(Kind::openParen, "Expected '(' after macro name.");
    while (!at(Kind::closeParen)) {
        macro.parameters.emplace_back(consumeIdentifier());
        if (at(Kind::equals)) {
            advance();
            macro.defaults.updateValue(parseTernary(), macro.parameters.back());
        }
        if (!at(Kind::comma))
            break;
        advance();
    }
    consume(Kind::closeParen, "Expected ')' after macro parameters.");
    consume(Kind::closeStatement, "Expected '%}' after macro definition.");
    return macro;
}

Statement ParserState::parseCallStatement()
{
    std::optional<ExpressionList> callerArguments;
    if (at(Kind::openParen)) {
        advance();
        callerArguments = parseArguments().first;
        consume(Kind::closeParen, "Expected ')' after caller arguments.");
    }
    CallStatement call{parseTernary(), std::move(callerArguments), {}};
    consume(Kind::closeStatement, "Expected '%}' after call statement.");
    parseBlockBody(call.body, Kind::endcall, "endcall");
    return call;
}

Statement ParserState::parseFilterStatement()
{
    FilterStatement filter{parseTernary(), {}};
    consume(Kind::closeStatement, "Expected '%}' after filter statement.");
    parseBlockBody(filter.body, Kind::endfilter, "endfilter");
    return filter;
}

Statement ParserState::parseGenerationStatement()
{
    GenerationStatement generation;
    consume(Kind::closeStatement, "Expected '%}' after generation statement.");
    parseBlockBody(generation.body, Kind::endgeneration, "endgeneration");
    return generation;
}

// "a, b" on either side of a set: one expression alone, more as a tuple.
Expression ParserState::parseExpressionSequence()
{
    ExpressionList expressions;
    expressions.push_back(parseTernary());
    while (at(Kind::comma)) {
        advance();
        expressions.push_back(parseTernary());
    }
    if (expressions.size() == 1)
        return std::move(expressions.front());
    return TupleLiteral{std::move(expressions)};
}

} // namespace Jinja::detail

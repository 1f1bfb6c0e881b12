#include "Jinja/Syntax/Parser.h"

#include "Jinja/Syntax/ParserState.h"

#include <algorithm>

namespace Jinja {

NodeList Parser::parse(const std::vector<Token>& tokens)
{
    return detail::ParserState(tokens).parseProgram();
}

namespace detail {

void ParserState::Nesting::deepen()
{
    ++levels_;
    if (++parser_.depth_ > Parser::maximumDepth) {
        parser_.tooDeep_ = true;
        throw parser_.error("Template nested too deeply");
    }
}

const Token& ParserState::current() const
{
    static const Token end{Kind::eof, "", 0};
    return current_ < tokens_.size() ? tokens_[current_] : end;
}

ParserState::Kind ParserState::nextKind() const
{
    return current_ + 1 < tokens_.size() ? tokens_[current_ + 1].kind : Kind::eof;
}

void ParserState::advance()
{
    if (current_ < tokens_.size())
        ++current_;
}

const Token& ParserState::consume(Kind kind, std::string_view message)
{
    if (!at(kind) || kind == Kind::eof)
        failAtCurrent(std::string(message) + ". Got ", " instead");
    const Token& token = current();
    advance();
    return token;
}

// The parser never asks for a particular name, so none can be required here.
std::string ParserState::consumeIdentifier()
{
    if (!atAny(allowedAsIdentifier))
        throw error("Expected identifier but found " + std::string(tokenKindNames.name(current().kind)) + ".");
    std::string name = current().value;
    advance();
    return name;
}

JinjaError ParserState::error(std::string message) const
{
    return JinjaError(JinjaError::Kind::parser, std::move(message), current().position);
}

NodeList ParserState::parseProgram()
{
    NodeList nodes;
    nodes.reserve(tokens_.size() / 3);
    while (current_ < tokens_.size() && !at(Kind::eof))
        append(nodes, parseNode());
    return nodes;
}

// Adjacent text becomes one node, and empty text none.
void ParserState::append(NodeList& nodes, Node node) const
{
    if (const auto* text = std::get_if<TextNode>(&node.value)) {
        if (text->text.empty())
            return;
        if (!nodes.empty())
            if (const auto* previous = std::get_if<TextNode>(&nodes.back().value)) {
                nodes.back() = Node(TextNode{previous->text.utf8() + text->text.utf8()});
                return;
            }
    }
    nodes.push_back(std::move(node));
}

// Statements nest through their bodies, so each step below keeps few values
// of its own: the parts of a statement go straight into its case struct.
Node ParserState::parseNode()
{
    switch (current().kind) {
    case Kind::text:
    case Kind::comment: return parseTextOrComment();
    case Kind::openExpression: return parseOutput();
    case Kind::openStatement: consume(Kind::openStatement, "Expected '{%'."); return parseStatement();
    case Kind::eof: return TextNode{};
    default: failAtCurrent("Unexpected token type: ");
    }
}

Node ParserState::parseTextOrComment()
{
    String text = current().value;
    const bool comment = at(Kind::comment);
    advance();
    if (comment)
        return CommentNode{std::move(text)};
    return TextNode{std::move(text)};
}

Node ParserState::parseOutput()
{
    consume(Kind::openExpression, "Expected '{{'.");
    Node node = parseTernary();
    consume(Kind::closeExpression, "Expected '}}' after expression.");
    return node;
}

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

} // namespace detail

} // namespace Jinja

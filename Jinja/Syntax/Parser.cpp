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
    if (!atAny({Kind::identifier, Kind::if_, Kind::for_, Kind::in, Kind::and_, Kind::or_, Kind::not_, Kind::is,
                Kind::else_, Kind::set, Kind::break_, Kind::continue_}))
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

Node ParserState::parseNode()
{
    switch (current().kind) {
    case Kind::text: {
        Node node(TextNode{current().value});
        advance();
        return node;
    }
    case Kind::openExpression: {
        consume(Kind::openExpression, "Expected '{{'.");
        Expression expression = parseTernary();
        consume(Kind::closeExpression, "Expected '}}' after expression.");
        return expression;
    }
    case Kind::openStatement: consume(Kind::openStatement, "Expected '{%'."); return parseStatement();
    case Kind::comment: {
        Node node(CommentNode{current().value});
        advance();
        return node;
    }
    case Kind::eof: return TextNode{};
    default: throw error("Unexpected token type: " + std::string(tokenKindNames.name(current().kind)));
    }
}

Statement ParserState::parseStatement()
{
    Nesting nesting(*this);
    nesting.deepen();
    const Token& keyword = current();
    const Kind kind = at(Kind::eof) ? Kind::eof : keyword.kind;
    switch (kind) {
    case Kind::if_: advance(); return parseIfStatement();
    case Kind::for_: advance(); return parseForStatement();
    case Kind::set: advance(); return parseSetStatement();
    case Kind::macro: advance(); return parseMacroStatement();
    case Kind::break_:
        advance();
        consume(Kind::closeStatement, "Expected '%}' after break.");
        return BreakStatement{};
    case Kind::continue_:
        advance();
        consume(Kind::closeStatement, "Expected '%}' after continue.");
        return ContinueStatement{};
    case Kind::call: advance(); return parseCallStatement();
    case Kind::filter: advance(); return parseFilterStatement();
    case Kind::generation: advance(); return parseGenerationStatement();
    default: throw error("Unknown statement: " + (kind == Kind::eof ? std::string() : keyword.value));
    }
}

NodeList ParserState::parseNodesUntil(KindSet endKinds)
{
    NodeList nodes;
    while (!at(Kind::eof)) {
        if (at(Kind::openStatement) && endKinds.contains(nextKind()))
            break;
        append(nodes, parseNode());
    }
    return nodes;
}

// "{% endname %}" after a body.
void ParserState::consumeEndTag(Kind endKind, std::string_view name)
{
    const std::string text(name);
    consume(Kind::openStatement, "Expected '{%' for " + text + ".");
    consume(endKind, "Expected '" + text + "'.");
    consume(Kind::closeStatement, "Expected '%}' after " + text + ".");
}

Statement ParserState::parseIfStatement()
{
    Expression test = parseTernary();
    consume(Kind::closeStatement, "Expected '%}' after if condition.");
    NodeList body = parseNodesUntil({Kind::elif, Kind::else_, Kind::endif});
    if (!at(Kind::openStatement))
        throw error("Unclosed if statement");
    advance();
    NodeList alternate;
    if (at(Kind::elif)) {
        advance();
        Nesting nesting(*this);
        nesting.deepen();
        alternate.emplace_back(parseIfStatement());
    } else if (at(Kind::else_)) {
        advance();
        consume(Kind::closeStatement, "Expected '%}' after else.");
        alternate = parseNodesUntil({Kind::endif});
        consumeEndTag(Kind::endif, "endif");
    } else {
        consume(Kind::endif, "Expected 'endif'.");
        consume(Kind::closeStatement, "Expected '%}' after endif.");
    }
    return IfStatement{std::move(test), std::move(body), std::move(alternate)};
}

Statement ParserState::parseForStatement()
{
    LoopVariable variable;
    variable.names.emplace_back(consumeIdentifier());
    while (at(Kind::comma)) {
        advance();
        variable.names.emplace_back(consumeIdentifier());
    }
    consume(Kind::in, "Expected 'in' in for loop.");
    // Filters and tighter only, so that a trailing "if" is the loop's filter.
    Expression iterable = parseBinary(filterLevel);
    OptionalExpression test;
    if (at(Kind::if_)) {
        advance();
        test = parseTernary();
    }
    consume(Kind::closeStatement, "Expected '%}' after for loop.");
    NodeList body = parseNodesUntil({Kind::else_, Kind::endfor});
    if (!at(Kind::openStatement))
        throw error("Unclosed for loop");
    advance();
    NodeList elseBody;
    if (at(Kind::else_)) {
        advance();
        consume(Kind::closeStatement, "Expected '%}' after else.");
        elseBody = parseNodesUntil({Kind::endfor});
        consumeEndTag(Kind::endfor, "endfor");
    } else {
        consume(Kind::endfor, "Expected 'endfor'.");
        consume(Kind::closeStatement, "Expected '%}' after endfor.");
    }
    return ForStatement{std::move(variable), std::move(iterable), std::move(body), std::move(elseBody),
                        std::move(test)};
}

Statement ParserState::parseSetStatement()
{
    Expression target = parseExpressionSequence();
    if (at(Kind::equals)) {
        advance();
        Expression value = parseExpressionSequence();
        consume(Kind::closeStatement, "Expected '%}' after set statement.");
        return SetStatement{std::move(target), std::move(value), {}};
    }
    consume(Kind::closeStatement, "Expected '%}' after set statement.");
    NodeList body = parseNodesUntil({Kind::endset});
    consumeEndTag(Kind::endset, "endset");
    return SetStatement{std::move(target), std::nullopt, std::move(body)};
}

Statement ParserState::parseMacroStatement()
{
    String name = consumeIdentifier();
    consume(Kind::openParen, "Expected '(' after macro name.");
    std::vector<String> parameters;
    ExpressionEntries defaults;
    while (!at(Kind::closeParen)) {
        parameters.emplace_back(consumeIdentifier());
        if (at(Kind::equals)) {
            advance();
            defaults.assign(parameters.back(), parseTernary());
        }
        if (!at(Kind::comma))
            break;
        advance();
    }
    consume(Kind::closeParen, "Expected ')' after macro parameters.");
    consume(Kind::closeStatement, "Expected '%}' after macro definition.");
    NodeList body = parseNodesUntil({Kind::endmacro});
    consumeEndTag(Kind::endmacro, "endmacro");
    return MacroStatement{std::move(name), std::move(parameters), std::move(defaults), std::move(body)};
}

Statement ParserState::parseCallStatement()
{
    std::optional<ExpressionList> callerArguments;
    if (at(Kind::openParen)) {
        advance();
        callerArguments = parseArguments().first;
        consume(Kind::closeParen, "Expected ')' after caller arguments.");
    }
    Expression callable = parseTernary();
    consume(Kind::closeStatement, "Expected '%}' after call statement.");
    NodeList body = parseNodesUntil({Kind::endcall});
    consumeEndTag(Kind::endcall, "endcall");
    return CallStatement{std::move(callable), std::move(callerArguments), std::move(body)};
}

Statement ParserState::parseFilterStatement()
{
    Expression filter = parseTernary();
    consume(Kind::closeStatement, "Expected '%}' after filter statement.");
    NodeList body = parseNodesUntil({Kind::endfilter});
    consumeEndTag(Kind::endfilter, "endfilter");
    return FilterStatement{std::move(filter), std::move(body)};
}

Statement ParserState::parseGenerationStatement()
{
    consume(Kind::closeStatement, "Expected '%}' after generation statement.");
    NodeList body = parseNodesUntil({Kind::endgeneration});
    consumeEndTag(Kind::endgeneration, "endgeneration");
    return GenerationStatement{std::move(body)};
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

#include "Jinja/Syntax/Parser.h"

#include "Jinja/Syntax/ParserState.h"

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

} // namespace detail

} // namespace Jinja

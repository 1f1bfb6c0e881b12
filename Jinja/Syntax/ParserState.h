#pragma once

// The parser's position in the token list and its steps, one function per
// statement and per precedence level. Internal to the parser.

#include "Jinja/JinjaError.h"
#include "Jinja/Syntax/Node.h"
#include "Jinja/Syntax/Token.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace Jinja::detail {

class ParserState {
public:
    explicit ParserState(const std::vector<Token>& tokens) : tokens_(tokens) {}

    NodeList parseProgram();

private:
    using Kind = Token::Kind;

    // Counts the levels of the tree being built: each nested expression, each
    // operand added to a chain and each statement adds one while it lasts.
    class Nesting {
    public:
        explicit Nesting(ParserState& parser) : parser_(parser) { deepen(); }
        ~Nesting() { parser_.depth_ -= levels_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;
        void deepen();

    private:
        ParserState& parser_;
        int levels_ = 0;
    };

    // Tokens
    const Token& current() const;
    Kind nextKind() const;
    bool at(Kind kind) const { return current().kind == kind; }
    bool atAny(std::initializer_list<Kind> kinds) const;
    void advance();
    const Token& consume(Kind kind, const std::string& message);
    std::string consumeIdentifier();
    JinjaError error(std::string message) const;

    // Nodes and statements
    void append(NodeList& nodes, Node node) const;
    Node parseNode();
    Statement parseStatement();
    NodeList parseNodesUntil(std::initializer_list<Kind> endKinds);
    void consumeEndTag(Kind endKind, const std::string& name);
    Statement parseIfStatement();
    Statement parseForStatement();
    Statement parseSetStatement();
    Statement parseMacroStatement();
    Statement parseCallStatement();
    Statement parseFilterStatement();
    Statement parseGenerationStatement();
    Expression parseExpressionSequence();

    // Expressions, loosest to tightest
    std::pair<ExpressionList, ExpressionEntries> parseArguments();
    Expression parseTernary();
    Expression parseOr();
    Expression parseAnd();
    Expression parseNot();
    Expression parseComparison();
    Expression parseTestAfterIs(Expression operand, Nesting& nesting);
    Expression parseTerm();
    Expression parseConcat();
    Expression parseFilter();
    Expression parseFactor();
    Expression parseExponent();
    Expression parseUnary();
    Expression parseAccess();
    Expression parseSubscript(Expression object);
    Expression parsePrimary();
    Expression parseNumber(const Token& token) const;
    Expression parseParenthesized();
    Expression parseArrayLiteral();
    Expression parseObjectLiteral();

    const std::vector<Token>& tokens_;
    std::size_t current_ = 0;
    int depth_ = 0;
    // Set when the depth limit was hit, so that no recovery swallows it.
    bool tooDeep_ = false;
};

} // namespace Jinja::detail

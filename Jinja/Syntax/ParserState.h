#pragma once

// The parser's position in the token list and its steps, one function per
// statement and per precedence level. Internal to the parser.

#include "Jinja/JinjaError.h"
#include "Jinja/Syntax/Node.h"
#include "Jinja/Syntax/Token.h"

#include <climits>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace Jinja::detail {

// Token kinds as bits, the set made when compiling: a set written at a
// call takes no room on the stack of a recursive step.
class KindSet {
public:
    consteval KindSet(std::initializer_list<Token::Kind> kinds)
    {
        for (Token::Kind kind : kinds)
            bits_ |= std::uint64_t{1} << static_cast<int>(kind);
    }
    constexpr explicit KindSet(Token::Kind kind) : bits_(std::uint64_t{1} << static_cast<int>(kind)) {}
    constexpr bool contains(Token::Kind kind) const { return (bits_ >> static_cast<int>(kind)) & 1; }

private:
    std::uint64_t bits_ = 0;
};

// Kinds accepted where a name is required: after "." and "|", as loop
// variables, macro names and parameters.
inline constexpr KindSet allowedAsIdentifier{Token::Kind::identifier, Token::Kind::if_,    Token::Kind::for_,
                                             Token::Kind::in,         Token::Kind::and_,   Token::Kind::or_,
                                             Token::Kind::not_,       Token::Kind::is,     Token::Kind::else_,
                                             Token::Kind::set,        Token::Kind::break_, Token::Kind::continue_};
// Kinds that start an operand, so that one written right after another
// operand is concatenated to it.
inline constexpr KindSet primaryExpressionStarters{
    Token::Kind::string,    Token::Kind::identifier,  Token::Kind::number,   Token::Kind::boolean,
    Token::Kind::openParen, Token::Kind::openBracket, Token::Kind::openBrace};

class ParserState {
public:
    explicit ParserState(const std::vector<Token>& tokens) : tokens_(tokens) {}

    NodeList parseProgram();

private:
    using Kind = Token::Kind;

    // Precedence levels, loosest first; an operator's operands bind tighter.
    enum Level : int {
        orLevel = 1,
        andLevel,
        notLevel,
        comparisonLevel,
        termLevel,
        concatLevel,
        filterLevel,
        factorLevel,
        exponentLevel,
    };

    // Counts the levels of the tree being built: each nested expression, each
    // operand added to a chain and each statement adds one, until the step
    // that added it returns.
    class Nesting {
    public:
        explicit Nesting(ParserState& parser) : parser_(parser) {}
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
    bool atAny(KindSet kinds) const { return kinds.contains(current().kind); }
    void advance();
    const Token& consume(Kind kind, std::string_view message);
    std::string consumeIdentifier();
    JinjaError error(std::string message) const;

    // Nodes and statements
    void append(NodeList& nodes, Node node) const;
    Node parseNode();
    Node parseTextOrComment();
    Node parseOutput();
    Statement parseStatement();
    [[noreturn]] void failUnknownStatement(Kind kind) const;
    // Appends nodes until eof, or a "{%" whose keyword is in `endKinds`, which stays unread.
    void parseBody(NodeList& nodes, KindSet endKinds);
    // The body of a block up to its end tag "{% endname %}", which it consumes.
    void parseBlockBody(NodeList& body, Kind endKind, std::string_view name);
    Statement parseIfStatement();
    void parseIfEnd(NodeList& alternate);
    Statement parseForStatement();
    ForStatement parseForHead();
    Statement parseSetStatement();
    Statement parseMacroStatement();
    MacroStatement parseMacroHead();
    Statement parseCallStatement();
    Statement parseFilterStatement();
    Statement parseGenerationStatement();
    Expression parseExpressionSequence();

    // Expressions. Binary operators are parsed by precedence climbing, so that
    // each level of brackets costs a few stack frames, not one per level.
    std::pair<ExpressionList, ExpressionDictionary> parseArguments();
    Expression parseTernary();
    void applyCondition(Expression& value);
    Expression parseBinary(int minimumLevel);
    int operatorLevel() const;
    Expression parseNotPrefix();
    void applyBinary(Expression& left, int level);
    void applyTest(Expression& operand);
    void applyFilter(Expression& operand);
    Expression parseSigned();
    Expression parseAccess();
    void applyCall(Expression& callee);
    void applyMember(Expression& object);
    void applySubscript(Expression& object);
    Expression parsePrimary();
    Expression parseLiteral();
    Expression parseSplat();
    Expression parseNumber(const Token& token) const;
    Expression parseParenthesized();
    Expression parseTupleRest(Expression first);
    Expression parseArrayLiteral();
    Expression parseObjectLiteral();
    [[noreturn]] void failAtCurrent(const std::string& prefix, const std::string& suffix = "") const;

    const std::vector<Token>& tokens_;
    std::size_t current_ = 0;
    int depth_ = 0;
    // Set when the depth limit was hit, so that no recovery swallows it.
    bool tooDeep_ = false;
    // The tightest level that may still take an operator: a "not" that neither
    // starts "not in" nor precedes "is" ends the comparisons up to the nearest
    // enclosing conditional expression.
    int levelCap_ = INT_MAX;
};

} // namespace Jinja::detail

#include "Jinja/JinjaError.h"
#include "Jinja/Syntax/Lexer.h"

#include <gtest/gtest.h>

using Jinja::JinjaError;
using Jinja::Token;
namespace Lexer = Jinja::Lexer;

namespace {

std::string lexerError(std::string_view text)
{
    try {
        Lexer::tokenize(text);
    } catch (const JinjaError& error) {
        EXPECT_EQ(error.kind(), JinjaError::Kind::lexer);
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(Lexer, PositionsCountUserPerceivedCharacters)
{
    // CRLF, a decomposed "é" and a flag are one character each.
    EXPECT_EQ(lexerError("\r\n{{ !"), "Lexer error: Unexpected character '!' at position 4");
    EXPECT_EQ(lexerError("e\u0301\U0001F1E9\U0001F1EA{{ 'x"), "Lexer error: Unclosed string at position 5");
    const std::vector<Token> tokens = Lexer::tokenize("\u00E9\r\n{{ x }}");
    ASSERT_EQ(tokens.size(), 5U);
    EXPECT_EQ(tokens[0], (Token{Token::Kind::text, "\u00E9\r\n", 0}));
    EXPECT_EQ(tokens[2], (Token{Token::Kind::identifier, "x", 5}));
    EXPECT_EQ(tokens[4], (Token{Token::Kind::eof, "", 9}));
}

TEST(Lexer, PositionsCountInTheRewrittenText)
{
    EXPECT_EQ(lexerError("a   {{- !"), "Lexer error: Unexpected character '!' at position 4");
}

TEST(Lexer, KindNamesReadBothWays)
{
    const auto kinds = Jinja::tokenKindNames.allCases();
    ASSERT_EQ(kinds.size(), 61U);
    EXPECT_EQ(Jinja::tokenKindNames.name(kinds.front()), "text");
    EXPECT_EQ(Jinja::tokenKindNames.name(Token::Kind::closeExpression), "closeExpression");
    EXPECT_EQ(Jinja::tokenKindNames.name(Token::Kind::not_), "not");
    EXPECT_EQ(Jinja::tokenKindNames.value("notIn"), Token::Kind::notIn);
    EXPECT_EQ(Jinja::tokenKindNames.name(kinds.back()), "eof");
}

TEST(Lexer, ByteWalkAndSegmentedWalkAgree)
{
    // A final CRLF makes the same text go through the segmented walk.
    const char* sources[] = {
        "a } b{% for k, v in x | f(1) if v %}{{ k ~ 'it\\'s' ~ 1.5.2 }}{# c #}{% endfor %}",
        "{{ {'a': {'b': [1, 2]}} }} x }} y {% x { %}c }} d #} e",
        "{{ a//b**c!=d<=e>=f==g }}{{ True None none_x _1 }}",
    };
    for (const std::string source : sources) {
        std::vector<Token> bytewise = Lexer::tokenize(source);
        std::vector<Token> segmented = Lexer::tokenize(source + "\r\n");
        bytewise.pop_back();
        segmented.pop_back();
        ASSERT_TRUE(segmented.back().value.ends_with("\r\n")) << source;
        segmented.back().value.resize(segmented.back().value.size() - 2);
        if (segmented.back().value.empty())
            segmented.pop_back();
        EXPECT_EQ(segmented, bytewise) << source;
    }
}

#include "Jinja/JinjaError.h"

#include <gtest/gtest.h>

using Jinja::JinjaError;

TEST(JinjaError, DescriptionIsTheKindsPrefixAndTheMessage)
{
    const struct {
        JinjaError::Kind kind;
        const char* message;
        const char* description;
    } cases[] = {
        {JinjaError::Kind::lexer, "Unclosed comment at position 0", "Lexer error: Unclosed comment at position 0"},
        {JinjaError::Kind::parser, "Invalid subscript", "Parser error: Invalid subscript"},
        {JinjaError::Kind::runtime, "Modulo by zero", "Runtime error: Modulo by zero"},
        {JinjaError::Kind::syntax, "", "Syntax error: "},
    };
    for (const auto& c : cases) {
        const JinjaError error(c.kind, c.message);
        EXPECT_STREQ(error.what(), c.description);
        EXPECT_EQ(error.message(), c.message);
        EXPECT_EQ(error.kind(), c.kind);
    }
    EXPECT_EQ(JinjaError(JinjaError::Kind::lexer, "x", 7).position(), 7);
    EXPECT_EQ(JinjaError(JinjaError::Kind::runtime, "x").position(), std::nullopt);
}

#include "Jinja/JinjaError.h"
#include "Jinja/Syntax/DebugText.h"
#include "Jinja/Template.h"

#include <gtest/gtest.h>

using Jinja::Template;

namespace {

std::string dump(std::string_view text, Template::Options options = {})
{
    return Jinja::debugText(Template(text, options).nodes());
}

} // namespace

TEST(Template, TrimBlocksDropsTheLineFeedAfterBlockAndCommentTagsOnly)
{
    const std::string text = "{% if x %}\nA{# c #}\nB{{ y }}\nC{% endif %}\r\n";
    EXPECT_EQ(
        dump(text),
        "if x\n  text \"\\nA\"\n  comment \" c \"\n  text \"\\nB\"\n  print y\n  text \"\\nC\"\ntext \"\\r\\n\"\n");
    EXPECT_EQ(dump(text, {.trimBlocks = true}),
              "if x\n  text \"A\"\n  comment \" c \"\n  text \"B\"\n  print y\n  text \"\\nC\"\ntext \"\\r\\n\"\n");
}

TEST(Template, LstripBlocksRemovesIndentationBeforeBlockTagsAndKeepsLineTerminators)
{
    const Template::Options lstrip{.lstripBlocks = true};
    EXPECT_EQ(dump("  {% if x %}\n  {{ x }}\n a {% endif %}", lstrip),
              "if x\n  text \"\\n  \"\n  print x\n  text \"\\n a \"\n");
    // CRLF and the other line terminators stay as written.
    EXPECT_EQ(dump("a\r\n \t{# c #}\r\n\u2028  {% set x = 1 %}\u2028", lstrip),
              "text \"a\\r\\n\"\ncomment \" c \"\ntext \"\\r\\n\u2028\"\nset x = 1\ntext \"\u2028\"\n");
    EXPECT_EQ(dump("  {% if x %}{% endif %}"), "text \"  \"\nif x\n");
}

TEST(Template, EqualTemplatesHaveEqualTreesAndHashes)
{
    const std::hash<Template> hash;
    const Template spaced("{{ a + b }}{% if x %}{{ {'\u00E9': 1} }}{% endif %}");
    const Template tight("{{a+b}}{%if x%}{{{'e\u0301':1}}}{%endif%}");
    EXPECT_EQ(spaced, tight);
    EXPECT_EQ(hash(spaced), hash(tight));
    for (const char* other : {"{{ a - b }}{% if x %}{{ {'\u00E9': 1} }}{% endif %}",
                              "{{ a + b }}{% if x %}{{ {'e': 1} }}{% endif %}", "{{ a + b }}"}) {
        EXPECT_NE(spaced, Template(other)) << other;
        EXPECT_NE(hash(spaced), hash(Template(other))) << other;
    }
}

TEST(Template, CompileErrorsCarryTheKindAndPositionBesideTheDescription)
{
    const struct {
        std::string text;
        Jinja::JinjaError::Kind kind;
        std::int64_t position;
    } cases[] = {
        {"{{ a!b }}", Jinja::JinjaError::Kind::lexer, 4},
        // Beyond the range of a double.
        {"{{ " + std::string(400, '9') + ".5 }}", Jinja::JinjaError::Kind::parser, 3},
        {"\r\n{{ x[] }}", Jinja::JinjaError::Kind::parser, 6},
        {"{% for x in a + b %}", Jinja::JinjaError::Kind::parser, 14},
        {"{{ 9223372036854775808 }}", Jinja::JinjaError::Kind::parser, 3},
    };
    for (const auto& c : cases) {
        try {
            const Template compiled(c.text);
            ADD_FAILURE() << c.text;
        } catch (const Jinja::JinjaError& error) {
            EXPECT_EQ(error.kind(), c.kind) << c.text;
            EXPECT_EQ(error.position(), c.position) << c.text;
            EXPECT_EQ(std::string(error.what()).find("position " + std::to_string(c.position)) != std::string::npos,
                      c.kind == Jinja::JinjaError::Kind::lexer)
                << c.text;
        }
    }
}

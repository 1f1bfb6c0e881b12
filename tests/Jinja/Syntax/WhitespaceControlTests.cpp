#include "Jinja/Syntax/WhitespaceControl.h"

#include <gtest/gtest.h>

using Jinja::applyWhitespaceControl;

TEST(WhitespaceControl, DashFormsSwallowWhiteSpaceOnTheirSide)
{
    const struct {
        const char* text;
        const char* rewritten;
    } cases[] = {
        {"a  {{- x -}}  b", "a{{ x }}b"},
        {"a \n\t{%- if x -%}\r\n\u2028 b", "a{% if x %}b"},
        // At the very start the white space goes entirely.
        {"  {%- x %}", "{% x %}"},
        {"\n{{- x }}", "{{ x }}"},
        {"{{- x }}", "{{ x }}"},
        // A literal brace keeps one space so that it does not join the opener.
        {"{  \n{%- x %}", "{ {% x %}"},
        {"{{{- x }}", "{{{- x }}"},
        // The character before the white space stays, whatever it is.
        {"\u00E9 {{- x }}", "\u00E9{{ x }}"},
        {"}} \n {{- x }}", "}}{{ x }}"},
        // Inside string literals too; comments have no dash forms.
        {"{{ ' -}}  ' }}", "{{ ' }}' }}"},
        {"a {#- c -#} b", "a {#- c -#} b"},
        // Each dash is used once: the second opener has no character before it left.
        {"a{%-{%-", "a{%{%-"},
        // After one opener, the next match may start with a white-space character.
        {"a{%-  {%-", "a{% {%"},
        {"a{%- b \n{%-", "a{% b{%"},
        // Zero width space is not white space.
        {"a\u200B{{- x }}", "a\u200B{{ x }}"},
        {"no tags at all  ", "no tags at all  "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(applyWhitespaceControl(c.text), c.rewritten) << c.text;
}

TEST(WhitespaceControl, LongWhiteSpaceRunsTakeLinearTime)
{
    // Every start inside the run would scan to its end again if tried one by one.
    const std::string spaces(1 << 20, ' ');
    EXPECT_EQ(applyWhitespaceControl(spaces + "x"), spaces + "x");
    EXPECT_EQ(applyWhitespaceControl("a" + spaces + "{%- x %}"), "a{% x %}");
}

// Compiling on several threads at once: the lexer's and parser's tables are
// built on first use by whichever thread comes first, and shared afterwards.

#include "Jinja/Template.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

TEST(TemplateThreads, CompilesOnSeveralThreadsAtOnce)
{
    const std::string text = "{%- for m in messages if m.role != 'tool' %}{{ m.content | trim ~ 'é\u4E2D' }}"
                             "{% if x is not none and not y %}a{% elif z %}b{% endif %}{% endfor %}"
                             "{% macro f(a, b=[1, 2.5]) %}{% endmacro %}";
    std::vector<Jinja::Template> compiled(4, Jinja::Template(""));
    {
        std::vector<std::jthread> threads;
        for (std::size_t index = 0; index < compiled.size(); ++index)
            threads.emplace_back([&, index] { compiled[index] = Jinja::Template(text); });
    }
    for (const Jinja::Template& each : compiled)
        EXPECT_EQ(each, Jinja::Template(text));
}

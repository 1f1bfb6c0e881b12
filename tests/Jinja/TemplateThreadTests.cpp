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

TEST(TemplateThreads, RendersOneTemplateOnSeveralThreadsAtOnce)
{
    const Jinja::Template compiled(
        "{% set ns = namespace(n=0) %}{% macro row(m) %}{{ loop.index }}:{{ m.role | upper }} {{ caller() }}"
        "{% endmacro %}{% for m in messages %}{% set ns.n = ns.n + 1 %}{% call row(m) %}{{ m.content | reverse }}"
        "{% endcall %}{% if loop.cycle(true, false) %};{% endif %}{% endfor %}{{ ns.n }}");
    Jinja::Array messages;
    for (int index = 0; index < 50; ++index)
        messages.push_back(Jinja::Value::object(
            {{"role", Jinja::Value(index % 2 ? "user" : "assistant")}, {"content", Jinja::Value("text é")}}));
    const Jinja::Template::Context context{{"messages", Jinja::Value(messages)}};
    const std::string serial = compiled.render(context);
    std::vector<std::string> outputs(8);
    {
        std::vector<std::jthread> threads;
        for (std::size_t index = 0; index < outputs.size(); ++index)
            threads.emplace_back([&, index] {
                for (int round = 0; round < 20; ++round)
                    outputs[index] = compiled.render(context);
            });
    }
    for (const std::string& output : outputs)
        EXPECT_EQ(output, serial);
}

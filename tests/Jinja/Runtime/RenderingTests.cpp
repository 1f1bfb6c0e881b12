#include "Jinja/RenderTesting.h"
#include "Jinja/Runtime/Limits.h"
#include "Jinja/Template.h"

#include <gtest/gtest.h>

using Jinja::Template;
using Jinja::Value;
using JinjaTesting::rendered;

TEST(Rendering, GlobalsHideContextEntriesAndAGivenEnvironmentKeepsThem)
{
    EXPECT_EQ(rendered("{{ range(2) }}{{ x }}", {{"range", Value("mine")}, {"x", Value(1)}}), "[0, 1]1");
    const auto environment = Jinja::Environment::make();
    environment->set("y", Value("from environment"));
    EXPECT_EQ(Template("{{ x }} {{ y }}{% set z = 1 %}").render({{"x", Value(1)}}, environment), "1 from environment");
    EXPECT_EQ(environment->variables().at("x"), Value(1));
    EXPECT_FALSE(environment->variables().contains("z"));
}

TEST(Rendering, OutputStopsAtTheStringBound)
{
    const Template::Context context{{"text", Value(std::string(Jinja::maximumStringBytes / 2 + 1, 'a'))}};
    EXPECT_EQ(rendered("{% for x in range(2) %}{{ text }}{% endfor %}", context),
              "error: Runtime error: Result too large");
}

// A caller kept in a namespace holds the scope that holds the namespace; the
// rendering empties its scopes at the end, so nothing it made outlives it.
TEST(Rendering, ScopesHeldInCyclesAreReleasedWhenTheRenderingEnds)
{
    const std::string texts[] = {
        "{% set ns = namespace() %}{% macro m() %}{% set ns.c = caller %}{% endmacro %}"
        "{% call m() %}{{ marker }}{% endcall %}",
        "{% set ns = namespace(c=cycler(marker)) %}{% macro m() %}{% set ns.k = caller %}{{ marker() }}"
        "{% endmacro %}{% call m() %}{% endcall %}{{ 1 // 0 }}",
    };
    for (const std::string& text : texts) {
        // The marker function lives as long as anything the rendering made holds it.
        auto sentinel = std::make_shared<int>(0);
        {
            const Template::Context context{
                {"marker",
                 Value(Jinja::Function([sentinel](std::span<const Value>, const Jinja::KeywordArguments&,
                                                  const std::shared_ptr<Jinja::Environment>&) { return Value(); }))}};
            rendered(text, context);
        }
        EXPECT_EQ(sentinel.use_count(), 1) << text;
    }
}

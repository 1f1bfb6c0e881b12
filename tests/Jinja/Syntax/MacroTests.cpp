#include "Jinja/Syntax/DebugText.h"
#include "Jinja/Syntax/Macro.h"
#include "Jinja/Template.h"
#include "Platform/JSON/JSONDocument.h"

#include <gtest/gtest.h>

using Jinja::Macro;

namespace {

Macro macroOf(std::string_view source)
{
    const Jinja::Template compiled(source);
    const auto& macro = std::get<Jinja::MacroStatement>(std::get<Jinja::Statement>(compiled.nodes().at(0).value).value);
    return Macro{macro.name, macro.parameters, macro.defaults, macro.body};
}

std::string encoded(const Macro& macro)
{
    rapidjson::Document document;
    return Platform::JSON::serialize(macro.toJSON(document.GetAllocator()));
}

Macro decoded(std::string_view json)
{
    return Macro::fromJSON(Platform::JSON::parseDocument(json));
}

} // namespace

TEST(Macro, CodingKeepsTheTreeAndSortsDefaultsByName)
{
    const Macro macro = macroOf("{% macro m(b, z=[1, 'x'], a=n | f(2)) %}{% if a %}{{ a ~ '-}}' }}{% else %}t{% endif "
                                "%}{% set q %}{{ b }}{% endset %}{% endmacro %}");
    const std::string json = encoded(macro);
    EXPECT_EQ(json, R"js({"name":"m","parameters":["b","z","a"],"defaults":{"z":"[1, \"x\"]","a":"(n | f(2))"},)js"
                    R"js("body":["if a\n  print (a ~ \"}}\")\nelse\n  text \"t\"\n","set q\n  print b\n"]})js");
    const Macro back = decoded(json);
    EXPECT_EQ(back.name, macro.name);
    EXPECT_EQ(back.parameters, macro.parameters);
    EXPECT_EQ(back.body, macro.body);
    // The defaults were written z, a and come back a, z.
    ASSERT_EQ(back.defaults.size(), 2U);
    EXPECT_EQ(back.defaults.keys()[0], Jinja::String("a"));
    EXPECT_EQ(back.defaults.keys()[1], Jinja::String("z"));
    EXPECT_EQ(*back.defaults.find("z"), *macro.defaults.find("z"));
    EXPECT_NE(back, macro);
    EXPECT_EQ(decoded(encoded(back)), back);

    // Dumps are read verbatim: a dash beside a delimiter stays.
    const Macro text{"t", {}, {}, {Jinja::TextNode{"x -}}  {%- y\n"}}};
    EXPECT_EQ(decoded(encoded(text)), text);
}

TEST(Macro, DecodingRefusesWhatIsNotAMacro)
{
    const struct {
        const char* json;
        const char* path;
    } cases[] = {
        {R"({"name":"m","parameters":[],"defaults":{"a":"(1 +"},"body":[]})", "defaults"},
        {R"({"name":"m","parameters":[],"defaults":{},"body":["bogus line"]})", "body"},
        {R"({"name":"m","parameters":[],"defaults":[],"body":[]})", "defaults"},
        {R"({"name":"m","parameters":[1],"defaults":{},"body":[]})", "parameters"},
    };
    for (const auto& c : cases) {
        try {
            decoded(c.json);
            ADD_FAILURE() << c.json;
        } catch (const Platform::JSON::DecodingError& error) {
            ASSERT_FALSE(error.codingPath().empty()) << c.json;
            EXPECT_EQ(error.codingPath().front(), c.path) << c.json;
        }
    }
}

TEST(Macro, EqualMacrosHashAlike)
{
    const Macro first = macroOf("{% macro m(a, b=1) %}{{ a }}{% endmacro %}");
    const Macro second = macroOf("{%macro m(a,b=1)%}{{a}}{%endmacro%}");
    EXPECT_EQ(first, second);
    EXPECT_EQ(seededHash(first, 7), seededHash(second, 7));
    const Macro other = macroOf("{% macro m(a, b=2) %}{{ a }}{% endmacro %}");
    EXPECT_NE(first, other);
    EXPECT_NE(seededHash(first, 7), seededHash(other, 7));
}

#include "Jinja/Builtins/Filters.h"
#include "Jinja/JinjaError.h"
#include "tests/Jinja/RenderTesting.h"

#include <gtest/gtest.h>

using Jinja::Value;
using JinjaTesting::expectRenders;
using JinjaTesting::RenderCase;

TEST(FormattingFilters, FilesizeformatPrintsBytesOrOneDecimalOfTheLargestUnit)
{
    const RenderCase cases[] = {
        {"{{ 1000 | filesizeformat }}|{{ 999 | filesizeformat }}|{{ 1024 | filesizeformat(true) }}|{{ 1023 | "
         "filesizeformat(true) }}",
         "1.0 kB|999 Bytes|1.0 KiB|1023 Bytes"},
        {"{{ 1500 | filesizeformat }}|{{ 1048576 | filesizeformat(binary=true) }}|{{ '1e30' | float | filesizeformat "
         "}}|{{ 'a' | "
         "filesizeformat }}",
         "1.5 kB|1.0 MiB|1000000.0 YB|"},
        // Sizes no integer holds print without a conversion to one.
        {"{{ 'nan' | float | filesizeformat }}|{{ 'inf' | float | filesizeformat }}|{{ '-inf' | float | filesizeformat "
         "}}"
         "|{{ '-1e20' | float | filesizeformat }}|{{ -0.5 | filesizeformat }}",
         "nan Bytes|inf Bytes|-inf Bytes|-100000000000000000000 Bytes|0 Bytes"},
    };
    expectRenders(cases);
}

TEST(FormattingFilters, XmlattrWritesEntriesWithValuesAndRefusesKeysThatBreakTheMarkup)
{
    const RenderCase cases[] = {
        {"[{{ {'class': 'a\"b\\'<', 'id': none} | xmlattr }}]|[{{ {'a': 1, 'b': 2} | xmlattr(false) }}]|[{{ {'a': "
         "none} | xmlattr }}]",
         "[ class=\"a&quot;b'&lt;\"]|[a=\"1\" b=\"2\"]|[]"},
        {"[{{ {'a\tb': 1} | xmlattr }}]|[{{ [1] | xmlattr(x=1) }}]", "[ a\tb=\"1\"]|[]"},
        {"{{ {'a=b': 1} | xmlattr }}", "error: Runtime error: Invalid character in XML attribute key: 'a=b'"},
    };
    expectRenders(cases);
}

TEST(FormattingFilters, StringTrimAndEscape)
{
    const RenderCase cases[] = {
        {"{{ [1] | string }}|{{ x | string }}|[{{ '\u3000 a b\n' | trim }}]|{{ 'xxaxbxx' | trim('x') }}|{{ 'éaé' | "
         "trim('é') }}",
         "[1]||[a b]|axb|a"},
        {"{{ '<a href=\"x\">\\'&' | e }}|{{ 5 | e }}|{{ 5 | escape(1) }}", "&lt;a href=&#34;x&#34;&gt;&#39;&amp;||"},
        {"{{ 5 | e(foo=1) }}", "error: Runtime error: Unexpected keyword argument 'foo' for filter."},
        {"{{ 'a' | string(foo=1) }}", "error: Runtime error: Unexpected keyword argument 'foo' for filter."},
    };
    expectRenders(cases);
}

TEST(FormattingFilters, TojsonSortsKeysIndentsOnlyForAPositiveIntAndGivesNullForWhatJsonCannotHold)
{
    const RenderCase cases[] = {
        {"{{ {'b': 1, 'a': [true, none, 'x/y']} | tojson }}", "{\"a\":[true,null,\"x/y\"],\"b\":1}"},
        {"{{ {'a': [1]} | tojson(1) == {'a': [1]} | tojson(2) }}|{{ {'a': 1} | tojson(2.0) }}|{{ [1] | tojson(0) }}",
         "true|{\"a\":1}|[1]"},
        {"{{ {'a': [1]} | tojson(indent=4) }}", "{\n  \"a\": [\n    1\n  ]\n}"},
        {"{{ 'é😀' | tojson }}|{{ 'é' | tojson(ensure_ascii=false) }}|{{ 'abc' | attr('upper') | tojson }}|{{ 'nan' | "
         "float | tojson }}",
         "\"\\u00e9\\ud83d\\ude00\"|\"é\"|null|null"},
    };
    expectRenders(cases);
}

TEST(FormattingFilters, UrlencodeEscapesForAQueryThatReadsBack)
{
    const RenderCase cases[] = {
        {"{{ 'a b/c?d&e=f+é' | urlencode }}|{{ [1] | urlencode }}", "a%20b/c?d&e=f+%C3%A9|"},
        {"{{ {'a b': 'x&y=z+1', 'n': none} | urlencode }}|{{ {} | urlencode }}", "a%20b=x%26y%3Dz%2B1&n=|"},
    };
    expectRenders(cases);
}

TEST(FormattingFilters, UrlizeLinksAddressesAndKeepsEverythingElse)
{
    const RenderCase cases[] = {
        {"{{ '(www.example.org).' | urlize }}", "(<a href=\"https://www.example.org\">www.example.org</a>)."},
        {"{{ 'see  http://a.b/?x=1&y\n[plain], me@x.org' | urlize }}",
         "see  <a href=\"http://a.b/?x=1&amp;y\">http://a.b/?x=1&amp;y</a>\n[plain], "
         "<a href=\"mailto:me@x.org\">me@x.org</a>"},
        {"{{ 'https://example.org/long' | urlize(10, true, '_blank', 'me') }}",
         "<a href=\"https://example.org/long\" rel=\"nofollow\" target=\"_blank\" rel=\"me\">https://ex...</a>"},
        {"{{ 'ftp://x FTP://y' | urlize(extra_schemes=['FTP', 1]) }}|{{ 'ftp://x' | urlize }}|{{ 'www.x' | urlize(-4) "
         "}}",
         "<a href=\"ftp://x\">ftp://x</a> <a href=\"FTP://y\">FTP://y</a>|ftp://x|<a href=\"https://www.x\">...</a>"},
        {"[{{ '(.)' | urlize }}]|[{{ 5 | urlize(x=1) }}]", "[(.)]|[]"},
    };
    expectRenders(cases);
}

TEST(FormattingFilters, PprintIndentsNestedValuesByLevel)
{
    const RenderCase cases[] = {
        {"{{ [] | pprint }}|{{ 5 | pprint }}|{{ 'a\"b' | pprint }}", "[]|5|\"a\"b\""},
        {"{{ {'a': [1, {'b': 'c'}], 'd': {}} | pprint }}",
         "{\n  \"a\": [\n    1,\n    {\n      \"b\": \"c\"\n    }\n  ],\n  \"d\": {}\n}"},
    };
    expectRenders(cases);
}

TEST(FormattingFilters, WithoutAPipedValueOnlyEscapeLooksAtKeywords)
{
    Jinja::KeywordArguments keywords;
    keywords.updateValue(Value(1), "foo");
    for (const auto filter :
         {Jinja::Filters::filesizeformat, Jinja::Filters::xmlattr, Jinja::Filters::toString, Jinja::Filters::trim,
          Jinja::Filters::urlencode, Jinja::Filters::urlize, Jinja::Filters::pprint})
        EXPECT_EQ(filter({}, keywords, nullptr), Value(""));
    EXPECT_EQ(Jinja::Filters::tojson({}, keywords, nullptr), Value("null"));
    EXPECT_EQ(Jinja::Filters::escape({}, {}, nullptr), Value(""));
    EXPECT_THROW(Jinja::Filters::escape({}, keywords, nullptr), Jinja::JinjaError);
}

#include "tests/Jinja/RenderTesting.h"

#include <gtest/gtest.h>

using JinjaTesting::expectRenders;
using JinjaTesting::RenderCase;

TEST(MarkupFilters, ForceescapeEscapesEveryTimeAndSafeChangesNothing)
{
    const RenderCase cases[] = {
        {"{{ 'a < b & \"c\" \\'d\\'' | forceescape }}|{{ '&' | forceescape | forceescape }}|{{ 5 | forceescape }}",
         "a &lt; b &amp; &#34;c&#34; &#39;d&#39;|&amp;amp;|"},
        {"{{ 5 | safe + 1 }}|{{ '<b>' | safe }}", "6|<b>"},
        {"{{ 5 | safe(x=1) }}", "error: Runtime error: Unexpected keyword argument 'x' for filter."},
    };
    expectRenders(cases);
}

TEST(MarkupFilters, StriptagsRemovesTagsAndFoldsWhiteSpace)
{
    const RenderCase cases[] = {
        {"[{{ '<p>Hello</p>  <b>world</b>\n' | striptags }}]|[{{ ' a <\u00A0b\u2028 ' | striptags }}]",
         "[Hello world]|[a < b]"},
        {"[{{ 'a<>b<x\ny>c &amp;' | striptags }}]|[{{ 5 | striptags }}]", "[a<>bc &amp;]|[]"},
    };
    expectRenders(cases);
}

TEST(MarkupFilters, FormatReplacesOnlyPercentSWhileValuesLast)
{
    const RenderCase cases[] = {
        {"{{ '%s and %s' | format(1, 'a') }}|{{ '%s and %s' | format(1) }}|{{ '100%% %d %s' | format([1]) }}",
         "1 and a|1 and %s|100%% %d [1]"},
        {"{{ 5 | format(1) }}|{{ 'x%s' | format(x=1) }}|{{ 'a%' | format(1) }}", "5|x%s|a%"},
        {"{{ 'x%s' | format(1, x=1) }}", "error: Runtime error: Unexpected keyword argument 'x' for filter."},
    };
    expectRenders(cases);
}

TEST(MarkupFilters, WordwrapPlacesWordsAndTheirPiecesGreedily)
{
    const RenderCase cases[] = {
        {"{{ 'the quick brown fox jumps' | wordwrap(10) }}", "the quick\nbrown fox\njumps"},
        {"{{ 'one\n\n two' | wordwrap(wrapstring='<br>') }}|{{ 'a\r\nb' | wordwrap(20.5, wrapstring='|') }}",
         "one<br>two|a|b"},
        {"{{ 'abcdefghijkl' | wordwrap(5) }}|{{ 'abcdefghijkl xy' | wordwrap(5, false) }}",
         "abcde\nfghij\nkl|abcdefghijkl\nxy"},
        {"{{ 'well-known-longword' | wordwrap(10) }}|{{ 'well-known-longword' | wordwrap(12) }}",
         "well-\nknown-\nlongword|well- known-\nlongword"},
        {"{{ 'well-known-longword' | wordwrap(10, break_on_hyphens=false) }}|[{{ 'abc-de- x' | wordwrap(4) }}]",
         "well-known\n-longword|[abc-\nde- \nx]"},
        {"{{ 'a b' | wordwrap(0, false) }}", "a\nb"},
        {"{{ 'a b' | wordwrap(0) }}",
         "error: Runtime error: wordwrap filter requires positive integer width parameter"},
    };
    expectRenders(cases);
}

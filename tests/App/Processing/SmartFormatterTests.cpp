#include "App/Processing/SmartFormatter.h"

#include <gtest/gtest.h>

using QEL::AppContext;

TEST(SmartFormatter, ShapesTextForEachKindOfApplication)
{
    const struct {
        const char* input;
        AppContext::Kind context;
        const char* expected;
    } cases[] = {
        {"hello world", AppContext::email, "Hello world."},
        {"is it done?", AppContext::email, "Is it done?"},
        {"", AppContext::email, "."},
        {"", AppContext::general, ""},
        // A capitalised first word counts as a name and keeps its capital.
        {"sounds good.", AppContext::teamChat, "Sounds good"},
        {"Sounds good...", AppContext::messaging, "Sounds good"}, // the run became one full stop
        {"wait . . .", AppContext::messaging, "Wait..."},
        {"NASA launched it.", AppContext::messaging, "NASA launched it"},
        {"I think so.", AppContext::teamChat, "I think so"},
        {"Hello, World!", AppContext::terminal, "hello, world"},
        {"\"git status.\"", AppContext::terminal, "git status"},
        {"let x = 1", AppContext::codeEditor, "Let x = 1"},
        {"hello world", AppContext::general, "Hello world"},
    };
    const QEL::SmartFormatter formatter;
    for (const auto& c : cases)
        EXPECT_EQ(formatter.format(c.input, c.context), c.expected) << c.input << " in context " << c.context;
}

TEST(SmartFormatter, RepairsArtefactsContractionsAndCapitals)
{
    const struct {
        const char* input;
        const char* expected;
    } cases[] = {
        {"im sure i cant", "I'm sure I can't"},
        {"ive said I dont know and it wont", "I've said I don't know and it won't"},
        {"Id go if Ill be there", "I'd go if I'll be there"},
        {"I feel ill and id like it", "I feel ill and id like it"},
        {"wait...", "Wait."},
        {"really?! yes", "Really! Yes"},
        {"hello ,world", "Hello, world"},
        {"end.Next step", "End. Next step"},
        {"see google.com and file.txt", "See google.com and file.txt"},
        {"it costs .5 dollars", "It costs $.5"},
        {"the rate is .5 percent .", "The rate is .5%."},
        {"as for example this", "As e.g. This"},
        {"one. two! three? four", "1. 2! 3? 4"},
        {"  lots   of    space  ", "Lots of space"},
        {"ßo what", "SSo what"},
        {"éclair time", "Éclair time"},
    };
    const QEL::SmartFormatter formatter;
    for (const auto& c : cases) EXPECT_EQ(formatter.format(c.input, AppContext::general), c.expected) << c.input;
}

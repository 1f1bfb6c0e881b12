#include "App/Processing/InverseTextNormalizer.h"

#include <gtest/gtest.h>

TEST(InverseTextNormalizer, RewritesSpokenFormsAsWritten)
{
    const struct {
        const char* spoken;
        const char* written;
    } cases[] = {
        // Money and percentages act on numbers already in digits.
        {"12 dollars and 1 dollar", "$12 and $1"},
        {"50 cents", "50¢"},
        {"3 Pounds", "£3"},
        {"1 euro", "€1"},
        {"5 dollars and 50 cents", "$5.50"},
        {"5 dollars and 5 cents", "$5.5"},
        {"five dollars", "5 dollars"},
        {"20 percent", "20%"},
        // Written numbers stay whole.
        {"1,000 dollars", "$1,000"},
        {"12.50 dollars", "$12.50"},
        {"2.5 percent", "2.5%"},
        {"1,000 dollars and 50 cents", "$1,000.50"},
        {"in 1990 5 people", "in 1990 5 people"},
        {"the 2023 10 am call", "the 2023 10 am call"},
        {"20 1.5 volt cells", "20 1.5 volt cells"},
        {"20 1,000 people", "20 1,000 people"},
        {"version 1.20 5 times", "version 1.20 5 times"},
        {"at 1.10 30 pm", "at 1.10 30 pm"},
        // Unit words are whole words.
        {"5 european cities", "5 european cities"},
        {"20 percentage points", "20 percentage points"},
        {"50 centimetres and 2 pounders", "50 centimetres and 2 pounders"},
        {"1 dollar, 2 Euros. 3 cents! 40 percent?", "$1, €2. 3¢! 40%?"},
        {"5 dollar's worth", "5 dollar's worth"},
        // A leading decimal point belongs to its number.
        {"it costs .5 dollars", "it costs $.5"},
        {".5 percent", ".5%"},
        {"0.5 dollars", "$0.5"},
        {"1,000.5 dollars", "$1,000.5"},
        {"at .20 5 or .10 30 pm", "at .20 5 or .10 30 pm"},
        // Decimals close one gap per number.
        {"3 point 1 4", "3.14"},
        {"3 point 1 4 1", "3.14 1"},
        {"12345 point 6 7", "12345.67"},
        {"pi is 3.1 4", "pi is 3.14"},
        // Ordinals, then number words, then tens joined to units.
        {"twenty first", "20 1st"},
        {"twenty-one", "20-1"},
        {"twenty one", "21"},
        {"Ninety Nine", "99"},
        {"one hundred and five", "1 hundred 5"},
        {"two thousand twenty five", "2 thousand 25"},
        {"the one I like", "the 1 I like"},
        {"wait a second", "wait a 2nd"},
        {"seventeen seven", "17 7"},
        {"someone", "someone"},
        {"the \u017Fecond \uFB01rst", "the 2nd 1st"}, // spellings that match only when case is ignored
        // Times.
        {"three thirty five pm", "3:35 PM"},
        {"3 30 pm", "3:30 PM"},
        {"3 30PM", "3:30 PM"},
        {"3 30 Pm", "3:30 Pm"},
        {"3 30 amazing", "3 30 amazing"},
        {"I am at 3:30 am", "I am at 3:30 AM"},
        // Abbreviations, whole words only.
        {"Doctor Smith versus Mister Jones", "Dr. Smith vs. Mr. Jones"},
        {"for example apples et cetera", "e.g. apples etc."},
        {"doctors", "doctors"},
        {"that isn't it, that is all", "that isn't it, i.e. all"},
        {"saint louis", "St. louis"},
        {"nothing to change here.", "nothing to change here."},
        {"", ""},
    };
    const QEL::InverseTextNormalizer itn;
    for (const auto& c : cases) EXPECT_EQ(itn.normalize(c.spoken), c.written) << c.spoken;
}

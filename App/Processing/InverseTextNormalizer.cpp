#include "App/Processing/InverseTextNormalizer.h"

#include "App/Processing/ReplacementRule.h"
#include "Platform/Text/CaseMapping.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace QEL {

namespace {

using Platform::RegexMatch;
constexpr Platform::RegexOptions ignoringCase{.caseInsensitive = true};

// Numbers already written in digits stay whole: no rule starts inside one
// ("1.5", "1,000", ".5") or ends where one goes on.
constexpr std::string_view notWithinNumber = R"((?<![\d.])(?<!\d,))";
constexpr std::string_view notContinuedAsNumber = R"((?![.,]\d))";
// A written number taken whole: thousands separators and a decimal part
// included, or a decimal part alone (".5" is half, not five).
constexpr std::string_view writtenNumber = R"((\d{1,3}(?:,\d{3})+(?:\.\d+)?|\d+(?:\.\d+)?|\.\d+))";

// A written number followed by a unit word that ends where the word does
// ("5 euros", never the start of "5 european").
std::string withNumberAndUnit(std::string_view unitWord)
{
    return std::string(notWithinNumber) + std::string(writtenNumber) + " " + wholeWords(unitWord);
}

// One case-insensitive whole-word alternation over the table's words, each
// replaced by its written form. No word is a whole-word part of another and no
// written form is a word of the table, so one pass gives what one pass per
// word would. Each word is its own group, so the written form follows from the
// word that matched, however case-insensitive matching spelled it ("ſecond").
// Abbreviation phrases leave contracted words alone (`keepContractedWords`).
ReplacementRule wordTableRule(const std::vector<std::pair<std::string, std::string>>& table,
                              bool keepContractedWords = false)
{
    std::string alternation;
    auto written = std::make_shared<std::vector<std::string>>();
    for (const auto& [word, form] : table) {
        if (!alternation.empty())
            alternation += '|';
        alternation += '(' + word + ')';
        written->push_back(form);
    }
    return ReplacementRule(
        keepContractedWords ? wholeWords(alternation) : "\\b(?:" + alternation + ")\\b",
        [written](std::string_view text, const RegexMatch& match) {
            for (std::size_t group = 1; group < match.groups.size(); ++group)
                if (match.groups[group])
                    return (*written)[group - 1];
            return std::string(match.group(text, 0));
        },
        ignoringCase);
}

const std::vector<std::pair<std::string, int>>& ones()
{
    static const std::vector<std::pair<std::string, int>> table = {
        {"zero", 0},     {"one", 1},      {"two", 2},        {"three", 3},     {"four", 4},
        {"five", 5},     {"six", 6},      {"seven", 7},      {"eight", 8},     {"nine", 9},
        {"ten", 10},     {"eleven", 11},  {"twelve", 12},    {"thirteen", 13}, {"fourteen", 14},
        {"fifteen", 15}, {"sixteen", 16}, {"seventeen", 17}, {"eighteen", 18}, {"nineteen", 19},
    };
    return table;
}

const std::vector<std::pair<std::string, int>>& tens()
{
    static const std::vector<std::pair<std::string, int>> table = {
        {"twenty", 20}, {"thirty", 30},  {"forty", 40},  {"fifty", 50},
        {"sixty", 60},  {"seventy", 70}, {"eighty", 80}, {"ninety", 90},
    };
    return table;
}

struct Rules {
    std::vector<ReplacementRule> currency;
    ReplacementRule dollarsAndCents{R"(\$(\d{1,3}(?:,\d{3})+|\d+) and (\d+)¢)", "\\$$1.$2", ignoringCase};
    ReplacementRule percent{withNumberAndUnit("percent"), "$1%", ignoringCase};
    // Neither starts inside a run of digits: a match found there would start at
    // the run's first digit anyway, and trying every position of a long run
    // takes time quadratic in its length.
    ReplacementRule decimalPoint{R"((?<!\d)(\d+) point ((?:\d ?)+))", "$1.$2", ignoringCase};
    ReplacementRule decimalGap{R"((?<!\d)(\d+\.)(\d) (\d))", "$1$2$3"};
    ReplacementRule ordinals = wordTableRule({
        {"first", "1st"},        {"second", "2nd"},      {"third", "3rd"},       {"fourth", "4th"},
        {"fifth", "5th"},        {"sixth", "6th"},       {"seventh", "7th"},     {"eighth", "8th"},
        {"ninth", "9th"},        {"tenth", "10th"},      {"eleventh", "11th"},   {"twelfth", "12th"},
        {"thirteenth", "13th"},  {"fourteenth", "14th"}, {"fifteenth", "15th"},  {"sixteenth", "16th"},
        {"seventeenth", "17th"}, {"eighteenth", "18th"}, {"nineteenth", "19th"}, {"twentieth", "20th"},
        {"thirtieth", "30th"},
    });
    ReplacementRule scaleAnd{"(hundred|thousand|million|billion) and ", "$1 ", ignoringCase};
    ReplacementRule numberWords = wordTableRule(numberWordTable());
    // Whole numbers only, so that "1990 5", "1.20 5" and "20 1.5" keep theirs.
    ReplacementRule tensAndUnits{std::string(notWithinNumber) + R"(\b(\d)0 (\d)\b)" + std::string(notContinuedAsNumber),
                                 "$1$2"};
    // Whole numbers only, and the meridiem must end a word ("3 30 amazing").
    ReplacementRule time{std::string(notWithinNumber) + R"(\b(\d{1,2}) (\d{2}) ?(am|pm)\b)", "$1:$2 $3", ignoringCase};
    ReplacementRule meridiemCapitals{
        R"(\b(\d{1,2}:\d{2} )(am|pm)\b)", [](std::string_view text, const RegexMatch& match) {
            return std::string(match.group(text, 1)) + Platform::uppercased(match.group(text, 2));
        }};
    ReplacementRule abbreviations = wordTableRule(
        {
            {"et cetera", "etc."},
            {"for example", "e.g."},
            {"that is", "i.e."},
            {"versus", "vs."},
            {"mister", "Mr."},
            {"missus", "Mrs."},
            {"doctor", "Dr."},
            {"saint", "St."},
        },
        true);

    Rules()
    {
        const std::pair<const char*, const char*> units[] = {
            {"dollars?", "\\$$1"}, {"cents?", "$1¢"}, {"pounds?", "£$1"}, {"euros?", "€$1"}};
        for (const auto& [unit, replacement] : units)
            currency.emplace_back(withNumberAndUnit(unit), replacement, ignoringCase);
    }

    // The union of both tables, longest word first; equal lengths keep table order.
    static std::vector<std::pair<std::string, std::string>> numberWordTable()
    {
        std::vector<std::pair<std::string, std::string>> words;
        for (const auto* table : {&ones(), &tens()})
            for (const auto& [word, value] : *table)
                words.emplace_back(word, std::to_string(value));
        std::stable_sort(words.begin(), words.end(),
                         [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
        return words;
    }
};

const Rules& rules()
{
    static const Rules shared;
    return shared;
}

} // namespace

std::string InverseTextNormalizer::normalize(std::string_view text) const
{
    std::string result(text);
    result = normalizeCurrency(std::move(result));
    result = normalizePercentages(std::move(result));
    result = normalizeDecimals(std::move(result));
    result = normalizeOrdinals(std::move(result));
    result = normalizeCardinals(std::move(result));
    result = normalizeTimes(std::move(result));
    return normalizeCommonAbbreviations(std::move(result));
}

std::string InverseTextNormalizer::normalizeCurrency(std::string text) const
{
    for (const ReplacementRule& rule : rules().currency)
        text = rule.apply(text);
    return rules().dollarsAndCents.apply(text);
}

std::string InverseTextNormalizer::normalizePercentages(std::string text) const
{
    return rules().percent.apply(text);
}

std::string InverseTextNormalizer::normalizeDecimals(std::string text) const
{
    return rules().decimalGap.apply(rules().decimalPoint.apply(text));
}

std::string InverseTextNormalizer::normalizeOrdinals(std::string text) const
{
    return rules().ordinals.apply(text);
}

std::string InverseTextNormalizer::normalizeCardinals(std::string text) const
{
    text = rules().scaleAnd.apply(text);
    text = rules().numberWords.apply(text);
    return rules().tensAndUnits.apply(text);
}

std::string InverseTextNormalizer::normalizeTimes(std::string text) const
{
    return rules().meridiemCapitals.apply(rules().time.apply(text));
}

std::string InverseTextNormalizer::normalizeCommonAbbreviations(std::string text) const
{
    return rules().abbreviations.apply(text);
}

} // namespace QEL

#include "App/Processing/InverseTextNormalizer.h"

#include "App/Processing/ReplacementRule.h"
#include "Platform/Text/CaseMapping.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace QEL {

namespace {

using Platform::RegexMatch;
constexpr Platform::RegexOptions ignoringCase{.caseInsensitive = true};

// A number already written in digits, taken whole: thousands separators and a
// decimal part included, never starting inside a longer number.
constexpr std::string_view writtenNumber = R"((?<![\d])(?<![\d][.,])(\d{1,3}(?:,\d{3})+(?:\.\d+)?|\d+(?:\.\d+)?))";

std::string withNumber(std::string_view suffixPattern) { return std::string(writtenNumber) + std::string(suffixPattern); }

// One case-insensitive whole-word alternation over the table's words, each
// replaced by its written form. No word is a whole-word part of another and no
// written form is a word of the table, so one pass gives what one pass per
// word would. Abbreviation phrases leave contracted words alone
// (`keepContractedWords`).
ReplacementRule wordTableRule(const std::vector<std::pair<std::string, std::string>>& table,
                              bool keepContractedWords = false) {
    std::string alternation;
    auto lookup = std::make_shared<std::map<std::string, std::string, std::less<>>>();
    for (const auto& [word, written] : table) {
        if (!alternation.empty()) alternation += '|';
        alternation += word;
        lookup->emplace(word, written);
    }
    return ReplacementRule(keepContractedWords ? wholeWords(alternation) : "\\b(?:" + alternation + ")\\b",
                           [lookup](std::string_view text, const RegexMatch& match) {
                               std::string word = Platform::lowercased(match.group(text, 0));
                               auto found = lookup->find(word);
                               return found == lookup->end() ? std::string(match.group(text, 0)) : found->second;
                           },
                           ignoringCase);
}

const std::vector<std::pair<std::string, int>>& ones() {
    static const std::vector<std::pair<std::string, int>> table = {
        {"zero", 0},     {"one", 1},       {"two", 2},        {"three", 3},     {"four", 4},
        {"five", 5},     {"six", 6},       {"seven", 7},      {"eight", 8},     {"nine", 9},
        {"ten", 10},     {"eleven", 11},   {"twelve", 12},    {"thirteen", 13}, {"fourteen", 14},
        {"fifteen", 15}, {"sixteen", 16},  {"seventeen", 17}, {"eighteen", 18}, {"nineteen", 19},
    };
    return table;
}

const std::vector<std::pair<std::string, int>>& tens() {
    static const std::vector<std::pair<std::string, int>> table = {
        {"twenty", 20}, {"thirty", 30},  {"forty", 40},  {"fifty", 50},
        {"sixty", 60},  {"seventy", 70}, {"eighty", 80}, {"ninety", 90},
    };
    return table;
}

struct Rules {
    std::vector<ReplacementRule> currency;
    ReplacementRule dollarsAndCents{R"(\$(\d{1,3}(?:,\d{3})+|\d+) and (\d+)¢)", "\\$$1.$2", ignoringCase};
    ReplacementRule percent{withNumber(" percent"), "$1%", ignoringCase};
    ReplacementRule decimalPoint{R"((\d+) point ((?:\d ?)+))", "$1.$2", ignoringCase};
    ReplacementRule decimalGap{R"((\d+\.)(\d) (\d))", "$1$2$3"};
    ReplacementRule ordinals = wordTableRule({
        {"first", "1st"},        {"second", "2nd"},       {"third", "3rd"},         {"fourth", "4th"},
        {"fifth", "5th"},        {"sixth", "6th"},        {"seventh", "7th"},       {"eighth", "8th"},
        {"ninth", "9th"},        {"tenth", "10th"},       {"eleventh", "11th"},     {"twelfth", "12th"},
        {"thirteenth", "13th"},  {"fourteenth", "14th"},  {"fifteenth", "15th"},    {"sixteenth", "16th"},
        {"seventeenth", "17th"}, {"eighteenth", "18th"},  {"nineteenth", "19th"},   {"twentieth", "20th"},
        {"thirtieth", "30th"},
    });
    ReplacementRule scaleAnd{"(hundred|thousand|million|billion) and ", "$1 ", ignoringCase};
    ReplacementRule numberWords = wordTableRule(numberWordTable());
    // Starts at a word boundary so that "1990 5" keeps both numbers.
    ReplacementRule tensAndUnits{R"(\b(\d)0 (\d)\b)", "$1$2"};
    // Whole numbers only, and the meridiem must end a word ("3 30 amazing").
    ReplacementRule time{R"(\b(\d{1,2}) (\d{2}) ?(am|pm)\b)", "$1:$2 $3", ignoringCase};
    ReplacementRule meridiemCapitals{R"(\b(\d{1,2}:\d{2} )(am|pm)\b)",
                                     [](std::string_view text, const RegexMatch& match) {
                                         return std::string(match.group(text, 1)) +
                                                Platform::uppercased(match.group(text, 2));
                                     }};
    ReplacementRule abbreviations = wordTableRule({
        {"et cetera", "etc."}, {"for example", "e.g."}, {"that is", "i.e."}, {"versus", "vs."},
        {"mister", "Mr."},     {"missus", "Mrs."},      {"doctor", "Dr."},   {"saint", "St."},
    }, true);

    Rules() {
        const std::pair<const char*, const char*> units[] = {
            {" dollars?", "\\$$1"}, {" cents?", "$1¢"}, {" pounds?", "£$1"}, {" euros?", "€$1"}};
        for (const auto& [unit, replacement] : units)
            currency.emplace_back(withNumber(unit), replacement, ignoringCase);
    }

    // The union of both tables, longest word first; equal lengths keep table order.
    static std::vector<std::pair<std::string, std::string>> numberWordTable() {
        std::vector<std::pair<std::string, std::string>> words;
        for (const auto* table : {&ones(), &tens()})
            for (const auto& [word, value] : *table) words.emplace_back(word, std::to_string(value));
        std::stable_sort(words.begin(), words.end(),
                         [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
        return words;
    }
};

const Rules& rules() {
    static const Rules shared;
    return shared;
}

} // namespace

std::string InverseTextNormalizer::normalize(std::string_view text) const {
    std::string result(text);
    result = normalizeCurrency(std::move(result));
    result = normalizePercentages(std::move(result));
    result = normalizeDecimals(std::move(result));
    result = normalizeOrdinals(std::move(result));
    result = normalizeCardinals(std::move(result));
    result = normalizeTimes(std::move(result));
    return normalizeCommonAbbreviations(std::move(result));
}

std::string InverseTextNormalizer::normalizeCurrency(std::string text) const {
    for (const ReplacementRule& rule : rules().currency) text = rule.apply(text);
    return rules().dollarsAndCents.apply(text);
}

std::string InverseTextNormalizer::normalizePercentages(std::string text) const {
    return rules().percent.apply(text);
}

std::string InverseTextNormalizer::normalizeDecimals(std::string text) const {
    return rules().decimalGap.apply(rules().decimalPoint.apply(text));
}

std::string InverseTextNormalizer::normalizeOrdinals(std::string text) const { return rules().ordinals.apply(text); }

std::string InverseTextNormalizer::normalizeCardinals(std::string text) const {
    text = rules().scaleAnd.apply(text);
    text = rules().numberWords.apply(text);
    return rules().tensAndUnits.apply(text);
}

std::string InverseTextNormalizer::normalizeTimes(std::string text) const {
    return rules().meridiemCapitals.apply(rules().time.apply(text));
}

std::string InverseTextNormalizer::normalizeCommonAbbreviations(std::string text) const {
    return rules().abbreviations.apply(text);
}

} // namespace QEL

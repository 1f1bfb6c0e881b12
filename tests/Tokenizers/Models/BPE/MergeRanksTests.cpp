#include "Tokenizers/Models/BPE/MergeRanks.h"

#include "Platform/Text/Graphemes.h"
#include "Platform/Text/Normalization.h"

#include <gtest/gtest.h>

#include <random>

using namespace Tokenizers;

namespace {

using Pieces = std::vector<std::string>;

// The merge loop written out plainly: every pass rebuilds the word's pairs,
// picks the lowest-ranked one and rescans the whole word for it.
Pieces mergedPlainly(std::string_view token, const MergeRanks& ranks)
{
    Pieces word;
    for (std::string_view character : Platform::graphemeClusters(token))
        word.emplace_back(character);
    auto same = [](const std::string& a, const std::string& b) { return Platform::nfc(a) == Platform::nfc(b); };
    while (word.size() > 1) {
        std::optional<std::pair<int, std::size_t>> best;
        for (std::size_t index = 0; index + 1 < word.size(); ++index)
            if (auto rank = ranks.rank(Platform::nfc(word[index]), Platform::nfc(word[index + 1])))
                if (!best || *rank < best->first)
                    best = {{*rank, index}};
        if (!best)
            break;
        const std::string first = word[best->second];
        const std::string second = word[best->second + 1];
        Pieces next;
        for (std::size_t index = 0; index < word.size();) {
            if (same(word[index], first) && index + 1 < word.size() && same(word[index + 1], second)) {
                next.push_back(word[index] + word[index + 1]);
                index += 2;
            } else {
                next.push_back(word[index++]);
            }
        }
        word = std::move(next);
    }
    return word;
}

} // namespace

TEST(MergeRanks, MergesByRankEveryOccurrencePerPass)
{
    const struct {
        std::vector<Pieces> merges;
        const char* token;
        Pieces expected;
    } cases[] = {
        {{{"l", "o"}, {"lo", "w"}}, "lower", {"low", "e", "r"}},
        {{{"lo", "w"}, {"l", "o"}}, "lower", {"low", "e", "r"}},
        {{{"lo", "w"}}, "lower", {"l", "o", "w", "e", "r"}},
        {{{"a", "a"}}, "aaa", {"aa", "a"}},
        {{{"a", "a"}}, "aaaa", {"aa", "aa"}},
        {{{"a", "a"}, {"aa", "aa"}}, "aaaa", {"aaaa"}},
        {{{"x", "y"}}, "a", {"a"}},
        {{}, "", {}},
        // A pass finishes the pair it picked before a better pair it made counts.
        {{{"ab", "a"}, {"a", "b"}}, "abab", {"ab", "ab"}},
        // Characters stay whole, and pairs compare up to canonical equivalence.
        {{{"e\u0301", "t"}}, "\u00E9t\u00E9", {"\u00E9t", "\u00E9"}},
        {{{"\u00E9", "t"}}, "e\u0301t", {"e\u0301t"}},
        // Entries that are no pair, or hold an empty piece, never merge.
        {{{"a"}, {"a", ""}, {"a", "b", "c"}}, "abc", {"ab", "c"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mergedPieces(c.token, MergeRanks(c.merges)), c.expected) << c.token;
}

TEST(MergeRanks, AgreesWithThePlainLoopOnRandomMergeLists)
{
    const std::vector<std::string> alphabet = {"a", "b", "c", "\u00E9", "e\u0301"};
    std::mt19937 random(31);
    auto pick = [&](std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(random); };
    auto piece = [&](std::size_t maxCharacters) {
        std::string text;
        for (std::size_t count = 1 + pick(maxCharacters); count > 0; --count)
            text += alphabet[pick(alphabet.size())];
        return text;
    };
    for (int round = 0; round < 300; ++round) {
        std::vector<Pieces> merges;
        for (std::size_t entry = pick(40); entry > 0; --entry) {
            switch (pick(10)) {
            case 0: merges.push_back({piece(2)}); break;                                              // no pair
            case 1: merges.push_back({piece(2), ""}); break;                                          // an empty piece
            case 2: merges.push_back({piece(2), piece(2), piece(2)}); break;                          // a third piece
            case 3: merges.push_back(merges.empty() ? Pieces{} : merges[pick(merges.size())]); break; // again
            default: merges.push_back({piece(3), piece(3)}); break;
            }
        }
        const MergeRanks ranks(merges);
        const std::string token = piece(24);
        ASSERT_EQ(mergedPieces(token, ranks), mergedPlainly(token, ranks)) << "round " << round << ": " << token;
    }
}

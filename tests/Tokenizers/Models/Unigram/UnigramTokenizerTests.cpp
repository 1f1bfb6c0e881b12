#include "Tokenizers/Models/Unigram/UnigramTokenizer.h"

#include "Hub/Config/YYJSONParser.h"
#include "Platform/Files/ReadFile.h"
#include "Tokenizers/Models/Unigram/TokenLattice.h"
#include "Tokenizers/TokenizerError.h"

#include <gtest/gtest.h>

using namespace Tokenizers;
using Hub::YYJSONParser::parseToConfig;
using Tokens = std::vector<std::string>;

namespace {

UnigramTokenizer unigram(std::string_view modelJSON, std::string_view configurationJSON = "{}")
{
    return UnigramTokenizer(parseToConfig(configurationJSON),
                            parseToConfig(R"({"model": )" + std::string(modelJSON) + "}"), {});
}

std::optional<TokenizerError::Kind> failure(std::string_view modelJSON)
{
    try {
        unigram(modelJSON);
    } catch (const TokenizerError& error) {
        return error.kind();
    }
    return std::nullopt;
}

} // namespace

TEST(UnigramTokenizer, PicksTheBestScoringSegmentationAndTheLongerTokenOnATie)
{
    EXPECT_EQ(unigram(R"({"unk_id": 0, "vocab": [["<unk>", 0], ["a", -1], ["b", -1], ["ab", -2]]})").tokenize("ab"),
              (Tokens{"ab"}));
    EXPECT_EQ(unigram(R"({"unk_id": 0, "vocab": [["<unk>", 0], ["a", -1], ["b", -1], ["ab", -3]]})").tokenize("ab"),
              (Tokens{"a", "b"}));
    EXPECT_EQ(unigram(R"({"unk_id": 0, "vocab": [["<unk>", 0], ["a", -1]]})").tokenize(""), Tokens{});
}

TEST(UnigramTokenizer, GivesUncoveredCharactersAsPiecesOfTheirOwnScoredBelowEveryToken)
{
    const UnigramTokenizer model =
        unigram(R"({"unk_id": 0, "vocab": [["<unk>", 0], ["a", -1], ["xy", -50], [" ", -2]]})",
                R"({"eos_token": {"content": "</s>"}})");
    EXPECT_FLOAT_EQ(model.unknownTokenScore(), -60);
    // "xy" at -50 beats two fallbacks at -60 each, and "zq" has no token at all.
    EXPECT_EQ(model.tokenize("axyzq"), (Tokens{"a", "xy", "z", "q"}));
    EXPECT_EQ(model.convertTokenToId("z"), 0);
    EXPECT_EQ(model.convertIdToToken(-1), std::nullopt);
    EXPECT_EQ(model.convertIdToToken(4), std::nullopt);
    EXPECT_EQ(model.convertIdToToken(2), "xy");
    EXPECT_EQ(model.bosToken(), " ");
    EXPECT_EQ(model.bosTokenId(), 3);
    EXPECT_EQ(model.eosToken(), std::nullopt);
    EXPECT_EQ(model.unknownToken(), "<unk>");
    EXPECT_TRUE(model.fuseUnknownTokens());

    const UnigramTokenizer high = unigram(R"({"unk_id": 0, "vocab": [["<unk>", 1000], ["a", 2000]]})");
    EXPECT_FLOAT_EQ(high.minScore(), 999);
    EXPECT_FLOAT_EQ(high.unknownTokenScore(), 989);
    EXPECT_EQ(high.bosTokenId(), std::nullopt);
}

TEST(UnigramTokenizer, MatchesCodeUnitsExactlySoAnotherSpellingFallsBackInsteadOfStopping)
{
    // The vocabulary spells e-acute composed; the decomposed text is another
    // spelling of the same character, which no token holds.
    const UnigramTokenizer model = unigram(R"({"unk_id": 0, "vocab": [["<unk>", 0], ["\u00E9", -1], ["t", -1]]})");
    EXPECT_EQ(model.tokenize("t\u00E9"), (Tokens{"t", "\u00E9"}));
    EXPECT_EQ(model.tokenize("te\u0301"), (Tokens{"t", "e\u0301"}));
    EXPECT_EQ(model.convertTokenToId("e\u0301"), 0);
}

TEST(UnigramTokenizer, RefusesVocabulariesItCannotUse)
{
    const std::vector<std::pair<std::string_view, std::optional<TokenizerError::Kind>>> cases = {
        {R"({"unk_id": 0})", TokenizerError::Kind::missingVocab},
        {R"({"unk_id": 0, "vocab": {"a": 1}})", TokenizerError::Kind::missingVocab},
        {R"({"unk_id": 0, "vocab": [["x"]]})", TokenizerError::Kind::malformedVocab},
        {R"({"unk_id": 0, "vocab": [["x", "1"]]})", TokenizerError::Kind::malformedVocab},
        {R"({"unk_id": 0, "vocab": ["x"]})", TokenizerError::Kind::malformedVocab},
        {R"({"unk_id": 0, "vocab": [["x", 1]]})", std::nullopt},
        {R"({"vocab": [["x", 1]]})", TokenizerError::Kind::malformedVocab},
        {R"({"unk_id": 0.0, "vocab": [["x", 1]]})", TokenizerError::Kind::malformedVocab},
        {R"({"unk_id": 1, "vocab": [["x", 1]]})", TokenizerError::Kind::malformedVocab},
        {R"({"unk_id": 0, "vocab": []})", TokenizerError::Kind::malformedVocab},
    };
    for (const auto& [model, expected] : cases)
        EXPECT_EQ(failure(model), expected) << model;
    EXPECT_EQ(unigram(R"({"unk_id": 0, "vocab": [["x", 1], ["x", 2]]})").convertTokenToId("x"), 0)
        << "a text listed twice converts to its first id";
}

TEST(UnigramTokenizer, CutsAsAPeerImplementationDoes)
{
    const Hub::Config fixture =
        parseToConfig(Platform::readFile(std::filesystem::path(QEL_TOKENIZER_INPUTS) / "Unigram/PeerCuts.json"));
    const UnigramTokenizer model(parseToConfig("{}"), fixture, {});
    const Hub::Config::Array cases = fixture.member("cases").array().value();
    ASSERT_FALSE(cases.empty());
    for (const Hub::Config& example : cases)
        EXPECT_EQ(model.tokenize(example.member("text").string().value()),
                  example.member("pieces").get<std::vector<std::string>>().value())
            << example.member("text").string().value();
}

TEST(TokenLattice, FindsNoPathWhenAnOffsetStartsNoNode)
{
    TokenLattice lattice("ab", 1, 2);
    lattice.insert(0, 1, -1, 5);
    EXPECT_TRUE(lattice.viterbi().empty());
    lattice.insert(1, 1, -1, 6);
    const std::vector<TokenLatticeNode> path = lattice.viterbi();
    ASSERT_EQ(path.size(), 2u);
    EXPECT_EQ(path[1].tokenId, 6);
    EXPECT_FLOAT_EQ(path[1].backtraceScore, -2);
    EXPECT_EQ(lattice.tokens(), (Tokens{"a", "b"}));
}

#include "QelCore/Decoding/WhisperTokens.h"

#include "Platform/ML/Whisper/WhisperLanguages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Platform::ML;
using namespace QelCore;

TEST(WhisperTokens, PromptsSplitIntoTheLongestStoredPieces)
{
    const std::vector<std::string> pieces = {"a", "b", "ab", "abc", " ", "c", "ab", " c"};
    const WhisperVocabulary vocabulary(pieces);
    const struct {
        const char* text;
        std::vector<int> tokens;
    } cases[] = {
        {"abcab c", {3, 2, 7}},
        {"ab", {2}},      // the lower of two equal pieces
        {"a\xff" "b", {0, 1}}, // a byte no piece starts with is skipped
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vocabulary.tokenize(c.text), c.tokens) << c.text;
}

TEST(WhisperTokens, SpecialTokensFollowTheVocabularySize)
{
    const auto english = SpecialTokens::forVocabularySize(51864);
    EXPECT_EQ(english.endOfText, 50256);
    EXPECT_EQ(english.startOfTranscript, 50257);
    EXPECT_EQ(english.noTimestamps, 50362);
    EXPECT_FALSE(english.multilingual());
    const auto multilingual = SpecialTokens::forVocabularySize(51865);
    EXPECT_EQ(multilingual.firstLanguage + *whisperLanguageIndex("de"), 50261);
    EXPECT_EQ(multilingual.transcribe, 50359);
    EXPECT_EQ(multilingual.startOfPrevious, 50361);
    EXPECT_EQ(multilingual.noTimestamps, 50363);
    EXPECT_EQ(multilingual.firstTimestamp + 1501, 51865);
    const auto hundred = SpecialTokens::forVocabularySize(51866);
    EXPECT_EQ(hundred.languageCount, 100);
    EXPECT_EQ(hundred.noTimestamps, 50364);
}

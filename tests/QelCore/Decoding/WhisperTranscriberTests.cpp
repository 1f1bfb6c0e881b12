#include "QelCore/Decoding/WhisperTranscriber.h"

#include "QelCore/AllocationCounter.h"
#include "Support/WhisperModelFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace Platform::ML;
using namespace QelCore;

namespace {

class TokenCounter : public TranscriptionObserver {
public:
    void tokenChosen(int, int) override { ++tokens; }
    int tokens = 0;
};

} // namespace

TEST(WhisperTranscriber, DecodingMoreTokensAllocatesNothingMore)
{
    const auto model = smallRandomModel(51865);
    const WhisperVocabulary vocabulary(model.vocabulary);
    WhisperTranscriber transcriber(model, vocabulary);
    const auto audio = chirp(model.windowSamples(), 500);
    DecodingSettings settings;
    settings.language = 0;
    transcriber.transcribe(audio.data(), static_cast<long>(audio.size()), settings); // first use sizes the buffers

    long allocations[2];
    int tokens[2];
    const int limits[2] = {10, 40}; // both texts outgrow the string's inline buffer
    for (int run = 0; run < 2; ++run) {
        settings.maxTokensPerWindow = limits[run];
        TokenCounter counter;
        const long before = allocationsOnThisThread();
        transcriber.transcribe(audio.data(), static_cast<long>(audio.size()), settings, &counter);
        allocations[run] = allocationsOnThisThread() - before;
        tokens[run] = counter.tokens;
    }
    ASSERT_GT(tokens[1], tokens[0] + 20) << "the model must not stop early for this check to mean anything";
    EXPECT_EQ(allocations[1], allocations[0]);
}

TEST(WhisperTranscriber, AutomaticLanguageIsTheOneTheFirstWindowSuggests)
{
    const auto model = smallRandomModel(51865, 21);
    const WhisperVocabulary vocabulary(model.vocabulary);
    WhisperTranscriber transcriber(model, vocabulary);
    const auto audio = chirp(model.windowSamples() + 8000, 200);
    const long count = static_cast<long>(audio.size());

    const std::string automatic = transcriber.transcribe(audio.data(), count, {});
    ASSERT_TRUE(transcriber.detectedLanguage());
    DecodingSettings chosen;
    chosen.language = transcriber.detectedLanguage();
    EXPECT_EQ(transcriber.transcribe(audio.data(), count, chosen), automatic);
    EXPECT_FALSE(transcriber.detectedLanguage()); // nothing to detect when the language is given
}

TEST(WhisperTranscriber, PromptTokensPrimeTheDecoder)
{
    const auto model = smallRandomModel(51864);
    const WhisperVocabulary vocabulary(model.vocabulary);
    WhisperTranscriber transcriber(model, vocabulary);
    const auto audio = chirp(16000, 700);
    const long count = static_cast<long>(audio.size());

    const std::string plain = transcriber.transcribe(audio.data(), count, {});
    EXPECT_FALSE(plain.empty());
    const auto prompt = vocabulary.tokenize("Hello there, this is a prompt.");
    DecodingSettings primed;
    primed.prompt = prompt;
    EXPECT_NE(transcriber.transcribe(audio.data(), count, primed), plain);

    // A prompt longer than the context keeps only its latest tokens and still decodes.
    const std::vector<int> longPrompt(500, 300);
    primed.prompt = longPrompt;
    EXPECT_NO_THROW(transcriber.transcribe(audio.data(), count, primed));
}

// Each window's encoder works in the memory where the window before kept its
// cross-attention and its cache, and the mel and encoder output are given back
// between calls: neither changes a word.
TEST(WhisperTranscriber, WindowsSharingMemoryAndBuffersGivenBackChangeNoWord)
{
    const auto model = smallRandomModel(51865, 21);
    const WhisperVocabulary vocabulary(model.vocabulary);
    const auto audio = chirp(2 * model.windowSamples() + 8000, 200);
    const long count = static_cast<long>(audio.size());
    DecodingSettings settings;
    settings.language = 0;

    std::vector<std::string> windows;
    for (long start = 0; start < count; start += model.windowSamples())
        windows.push_back(
            WhisperTranscriber(model, vocabulary)
                .transcribe(audio.data() + start, std::min<long>(model.windowSamples(), count - start), settings));
    WhisperTranscriber transcriber(model, vocabulary);
    const std::string whole = transcriber.transcribe(audio.data(), count, settings);
    EXPECT_EQ(whole, windows[0] + windows[1] + windows[2]);
    transcriber.releaseWindowBuffers();
    EXPECT_EQ(transcriber.transcribe(audio.data(), count, settings), whole);
}

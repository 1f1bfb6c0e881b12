// The built-in engine and the engine library's transcriber, given the same
// audio and the same random English model, decoding greedily with the same
// policy: both must read the same text from it.

#include "RandomWhisperFolders.h"

#include "Platform/ML/Tensor/HalfFloat.h"
#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/UnicodeScalars.h"
#include "QelCore/Decoding/WhisperTranscriber.h"
#include "QelCore/Ggml/GgmlWhisperLoader.h"
#include "RadozodEri/Core/RadozodEri.h"
#include "Support/TestEnvironment.h"
#include "tools/TestTokenizer/TestTokenizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The most tokens one window of the built-in loop decodes after the English
// start sequence; the transcriber is held to the same.
constexpr int kWindowTokenCap = 221;

// A seed whose greedy choices are never near a tie (checked below), with an
// embedding wide enough that the model is sure of its first token.
QelTools::RandomModelOptions sureEnglishModel(std::vector<std::string> pieces)
{
    return {
        .seed = 7, .vocab = QelTools::englishVocabularySize, .pieces = std::move(pieces), .tokenEmbeddingSpread = 2.0f};
}

// Half-precision steps at the magnitude of `value`: two logits closer than
// this may swap when the decoder rounds them to halves.
float halfPrecisionStep(float value)
{
    return std::ldexp(1.0f, std::ilogb(std::max(std::fabs(value), 0x1p-14f)) - 10);
}

// Watches the transcriber's choices: the smallest margin, in half-precision
// steps, between the best and second-best token it may choose, and the log
// probability of its first token among those it may choose.
class ChoiceMargins : public QelCore::TranscriptionObserver {
public:
    explicit ChoiceMargins(const QelCore::SpecialTokens& special) : special_(special) {}

    void logitsComputed(int, const float* logits) override
    {
        std::vector<float> allowed(logits, logits + special_.endOfText + 1);
        if (first_) {
            allowed[static_cast<std::size_t>(special_.endOfText)] = -INFINITY;
            allowed[220] = -INFINITY; // the blank, " "
        }
        std::vector<float> best(allowed);
        std::partial_sort(best.begin(), best.begin() + 2, best.end(), std::greater<>());
        smallestMargin = std::min(smallestMargin, (best[0] - best[1]) / halfPrecisionStep(best[0]));
        if (first_) {
            double sum = 0;
            for (const float logit : allowed)
                sum += std::exp(static_cast<double>(logit - best[0]));
            firstTokenLogProb = -std::log(sum);
            first_ = false;
        }
    }

    float smallestMargin = std::numeric_limits<float>::infinity();
    double firstTokenLogProb = 0;

private:
    QelCore::SpecialTokens special_;
    bool first_ = true;
};

} // namespace

TEST(SameTextAsTranscriber, GreedyDecodingAtTemperatureZeroReadsExactlyTheTranscribersText)
{
    TestSupport::TemporaryFolder folder;
    const auto tokenizer = folder / "tokenizer";
    if (!QelTools::writeFetchedTestTokenizer(tokenizer))
        GTEST_SKIP() << "GPT-2's files are absent";
    const auto ggml = folder / "model.bin";
    QelTools::writeRandomGgmlModel(ggml, sureEnglishModel(QelTools::ordinaryPieces(tokenizer)));
    QelTools::convertWhisperModel(ggml, folder / "model");
    const auto audio = RandomWhisper::testAudio();

    const auto model = QelCore::loadGgmlWhisperModel(ggml);
    const QelCore::WhisperVocabulary vocabulary(model.vocabulary);
    QelCore::WhisperTranscriber transcriber(model, vocabulary);
    const auto special = QelCore::SpecialTokens::forVocabularySize(model.hparams.nVocab);
    ChoiceMargins margins(special);
    const std::string expected = Platform::validUTF8(transcriber.transcribe(
        audio.data(), static_cast<long>(audio.size()), {.maxTokensPerWindow = kWindowTokenCap}, &margins));
    ASSERT_GT(margins.smallestMargin, 1.0f) << "a choice is within rounding of a tie: equality would be luck";
    EXPECT_GT(margins.firstTokenLogProb, -1.5) << "the model is unsure of its first token";

    RadozodEri::RadozodEriConfig config;
    config.modelFolder = (folder / "model").string();
    config.tokenizerFolder = tokenizer;
    config.download = false;
    config.load = true;
    config.logitsFilters = {{std::make_shared<RandomWhisper::SpecialTokenMask>(special.endOfText)}};
    const auto engine = RadozodEri::RadozodEri::create(config);
    RadozodEri::DecodingOptions options;
    options.temperatureFallbackCount = 0;
    options.firstTokenLogProbThreshold.reset();
    options.withoutTimestamps = true;
    options.suppressBlank = true;
    const auto results = engine->transcribe(audio, options, {}, {});
    ASSERT_EQ(results.size(), 1u);

    const auto trimmed = [](const std::string& text) {
        return std::string(Platform::trimming(text, Platform::CharacterSet::whitespacesAndNewlines));
    };
    EXPECT_FALSE(trimmed(expected).empty());
    EXPECT_EQ(trimmed(results.front()->text()), trimmed(expected));
}

#include "RadozodEri/Core/RadozodEri.h"

#include "DecoderFixture.h"
#include "RadozodEri/Core/Audio/AudioProcessor.h"
#include "RadozodEri/Core/Audio/WaveFile.h"
#include "RadozodEri/Utilities/WhisperError.h"

#include <gtest/gtest.h>

using namespace RadozodEri;
using DecoderTest::expectWhisperError;
using Platform::CoreML::MLFeatureValue;

namespace {

// Notes how many windows it was handed; nothing knows its window size.
class CountingExtractor : public FeatureExtracting {
public:
    std::optional<int> melCount() const override { return std::nullopt; }
    std::optional<int> windowSamples() const override { return std::nullopt; }
    std::optional<FeatureExtractorOutputType> logMelSpectrogram(const AudioProcessorValue& audio,
                                                                std::stop_token) override
    {
        windowLengths.push_back(audio.multiArrayValue()->count());
        return audio;
    }
    std::vector<std::int64_t> windowLengths;
};

class ZeroEncoder : public AudioEncoding {
public:
    std::optional<int> embedSize() const override { return std::nullopt; }
    std::optional<AudioEncoderOutputType> encodeFeatures(const FeatureExtractorOutputType&, std::stop_token) override
    {
        return DecoderTest::encoderOutput();
    }
};

class FailingDecoder : public TextDecoder {
public:
    DecodingResult detectLanguage(const AudioEncoderOutputType&, DecodingInputsType&, TokenSampling&,
                                  const DecodingOptions&, Platform::CoreML::Float16, std::stop_token) override
    {
        throw std::out_of_range("any failure of the decoder's own");
    }
};

// "Loads" by installing the test tokenizer, and counts its loads. With
// `keepSamples` the array form only keeps what it is handed.
class ScriptedEngine : public RadozodEri::RadozodEri {
public:
    ScriptedEngine(ConstructionKey key, const RadozodEriConfig& config) : RadozodEri(key, config) {}

    void loadModels(bool prewarmMode) override
    {
        loads.push_back(prewarmMode);
        setTokenizer(loadedTokenizer);
        setModelState(ModelState::loaded);
    }

    DetectedLanguage detectLangauge(const std::vector<float>& audioArray) override
    {
        if (!keepSamples)
            return RadozodEri::detectLangauge(audioArray);
        samples = audioArray;
        return {};
    }

    std::shared_ptr<const WhisperTokenizer> loadedTokenizer = DecoderTest::tokenizer();
    std::vector<bool> loads;
    bool keepSamples = false;
    std::vector<float> samples;
};

class EngineLanguageDetection : public testing::Test {
protected:
    void SetUp() override
    {
        RadozodEriConfig config;
        config.download = false;
        config.load = false;
        config.featureExtractor = extractor;
        config.audioEncoder = std::make_shared<ZeroEncoder>();
        engine = RadozodEri::RadozodEri::create<ScriptedEngine>(config);
    }

    void useDecoder(std::shared_ptr<TextDecoder> decoder, bool multilingual)
    {
        decoder->isModelMultilingual = multilingual;
        engine->textDecoder = std::move(decoder);
    }

    const TestSupport::TestModelKinds testKinds;
    TestSupport::TemporaryFolder folder;
    std::shared_ptr<CountingExtractor> extractor = std::make_shared<CountingExtractor>();
    std::shared_ptr<ScriptedEngine> engine;
};

} // namespace

TEST_F(EngineLanguageDetection, JudgesOneWindowOfTheSamples)
{
    useDecoder(DecoderTest::scriptedDecoder(folder.path(), {DecoderTest::fr}, DecoderTest::windowGeometry()), true);

    const auto detected = engine->detectLangauge(std::vector<float>(600000, 0.1f));

    EXPECT_EQ(detected.language, "fr");
    EXPECT_TRUE(detected.langProbs.contains("fr"));
    EXPECT_EQ(extractor->windowLengths, std::vector<std::int64_t>{480000});
    EXPECT_EQ(engine->loads, std::vector<bool>{false}) << "loaded once, without prewarming";
    engine->detectLangauge(std::vector<float>(1000, 0.1f));
    EXPECT_EQ(engine->loads.size(), 1u);
    EXPECT_EQ(extractor->windowLengths.back(), 480000) << "short audio is padded to the window";
}

TEST_F(EngineLanguageDetection, RefusalsComeBeforeAnyAudioIsTouched)
{
    useDecoder(std::make_shared<TextDecoder>(), false);
    engine->loadedTokenizer = nullptr;
    expectWhisperError([&] { engine->detectLangauge(std::vector<float>(1000, 0.1f)); },
                       WhisperError::Kind::decodingFailed, "Language detection not supported for this model");
    EXPECT_EQ(engine->loads.size(), 1u) << "after loading";

    engine->textDecoder->isModelMultilingual = true;
    expectWhisperError([&] { engine->detectLangauge(std::vector<float>(1000, 0.1f)); },
                       WhisperError::Kind::tokenizerUnavailable, "Tokenizer is unavailable");
    EXPECT_TRUE(extractor->windowLengths.empty());
}

TEST_F(EngineLanguageDetection, AudioAndDecoderFailures)
{
    useDecoder(DecoderTest::scriptedDecoder(folder.path(), {DecoderTest::fr}, DecoderTest::windowGeometry()), true);
    expectWhisperError([&] { engine->detectLangauge({}); }, WhisperError::Kind::transcriptionFailed,
                       "Audio samples are nil");
    EXPECT_TRUE(extractor->windowLengths.empty());

    useDecoder(
        DecoderTest::scriptedDecoder<FailingDecoder>(folder.path(), {DecoderTest::fr}, DecoderTest::windowGeometry()),
        true);
    expectWhisperError([&] { engine->detectLangauge(std::vector<float>(1000, 0.1f)); },
                       WhisperError::Kind::decodingFailed, "Language detection failed");
}

TEST_F(EngineLanguageDetection, AFileIsJudgedOnItsFirstThirtySecondsWithItsChannelsSummed)
{
    // 45 s of stereo, the channels different, the second half louder.
    std::vector<float> frames;
    for (std::size_t frame = 0; frame < 45 * 16000; ++frame) {
        const float scale = frame < 30 * 16000 ? 0.1f : 0.4f;
        frames.push_back(scale * static_cast<float>(frame % 7) / 7);
        frames.push_back(scale * static_cast<float>(frame % 3) / 3);
    }
    const auto path = (folder.path() / "stereo.wav").string();
    TestSupport::writeWaveFile(path, 16000, 2, frames);
    engine->keepSamples = true;
    engine->audioInputConfig.channelMode = AudioInputConfig::ChannelMode::specificChannel(1);

    engine->detectLanguage(path);

    const auto summed =
        AudioProcessor::loadAudioAsFloatArray(path, AudioInputConfig::ChannelMode::sumChannels(), 0.0, 30.0);
    EXPECT_EQ(engine->samples.size(), 480000u);
    EXPECT_EQ(engine->samples, summed);
    EXPECT_NE(engine->samples,
              AudioProcessor::loadAudioAsFloatArray(path, engine->audioInputConfig.channelMode, 0.0, 30.0));

    const std::string missing = (folder.path() / "missing.wav").string();
    expectWhisperError([&] { engine->detectLanguage(missing); }, WhisperError::Kind::loadAudioFailed,
                       "Resource path does not exist " + missing);
}

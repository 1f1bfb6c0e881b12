#pragma once

// An engine over a scripted text decoder, with stand-ins for the feature
// extractor and the encoder that note each window, and a decoder and a
// seeker that the tests can steer window by window.

#include "DecoderFixture.h"
#include "RadozodEri/Core/RadozodEri.h"
#include "RadozodEri/Core/Text/GreedyTokenSampler.h"
#include "RadozodEri/Core/Text/SegmentSeeker.h"
#include "tools/ModelFolder/WhisperFolders.h"

#include <mutex>

namespace TranscriptionTest {

// Notes the length of every padded window; its features are the window.
class WindowRecorder : public RadozodEri::FeatureExtracting {
public:
    std::optional<int> melCount() const override { return 80; }
    std::optional<int> windowSamples() const override { return std::nullopt; }
    std::optional<RadozodEri::FeatureExtractorOutputType>
    logMelSpectrogram(const RadozodEri::AudioProcessorValue& audio, std::stop_token) override
    {
        std::lock_guard lock(mutex);
        windowLengths.push_back(audio.multiArrayValue()->count());
        return audio;
    }

    std::mutex mutex;
    std::vector<std::int64_t> windowLengths;
};

// Embeddings of the decoder's geometry, all zero.
class ZeroEncoder : public RadozodEri::AudioEncoding {
public:
    std::optional<int> embedSize() const override { return 6; }
    std::optional<RadozodEri::AudioEncoderOutputType> encodeFeatures(const RadozodEri::FeatureExtractorOutputType&,
                                                                     std::stop_token) override
    {
        return DecoderTest::encoderOutput();
    }
};

// The scripted decoder, noting each attempt's temperature and the cache
// position it starts from; with `verdicts`, attempt i's result carries
// verdict i (the last one repeats).
class SteeredDecoder : public RadozodEri::TextDecoder {
public:
    RadozodEri::DecodingResult decodeText(const RadozodEri::AudioEncoderOutputType& encoderOutput,
                                          RadozodEri::DecodingInputsType& inputs, RadozodEri::TokenSampling& sampler,
                                          const RadozodEri::DecodingOptions& options,
                                          const RadozodEri::ProgressCallback& callback, std::stop_token stop) override
    {
        {
            std::lock_guard lock(mutex);
            temperatures.push_back(
                static_cast<float>(dynamic_cast<RadozodEri::GreedyTokenSampler&>(sampler).temperature));
            startPositions.push_back(static_cast<int>(inputs.cacheLength.number(0)));
        }
        auto result = TextDecoder::decodeText(encoderOutput, inputs, sampler, options, callback, std::move(stop));
        std::lock_guard lock(mutex);
        if (!verdicts.empty())
            result.fallback = verdicts[std::min(temperatures.size(), verdicts.size()) - 1];
        return result;
    }

    std::vector<std::optional<RadozodEri::DecodingFallback>> verdicts;
    std::mutex mutex;
    std::vector<float> temperatures;
    std::vector<int> startPositions;
};

// The engine's seeker, made to stall, to find no segments in chosen windows,
// or to give no word timings.
class SteeredSeeker : public RadozodEri::SegmentSeeker {
public:
    std::pair<std::int64_t, std::optional<std::vector<RadozodEri::TranscriptionSegment>>>
    findSeekPointAndSegments(const RadozodEri::DecodingResult& decodingResult,
                             const RadozodEri::DecodingOptions& options, std::int64_t allSegmentsCount,
                             std::int64_t currentSeek, std::int64_t segmentSize, int sampleRate, int timeToken,
                             int specialToken, const RadozodEri::WhisperTokenizer& tokenizer) override
    {
        auto found =
            SegmentSeeker::findSeekPointAndSegments(decodingResult, options, allSegmentsCount, currentSeek, segmentSize,
                                                    sampleRate, timeToken, specialToken, tokenizer);
        std::lock_guard lock(mutex);
        const std::size_t window = seeks.size();
        seeks.push_back(currentSeek);
        if (stall)
            found.first = currentSeek;
        if (window < silentWindows.size() && silentWindows[window])
            found.second.reset();
        return found;
    }

    std::optional<std::vector<RadozodEri::TranscriptionSegment>>
    addWordTimestamps(const std::vector<RadozodEri::TranscriptionSegment>& segments,
                      const Platform::CoreML::MLMultiArray& alignmentWeights,
                      const RadozodEri::WhisperTokenizer& tokenizer, std::int64_t seek, std::int64_t segmentSize,
                      std::string_view prependPunctuations, std::string_view appendPunctuations,
                      float lastSpeechTimestamp, const RadozodEri::DecodingOptions& options,
                      const RadozodEri::TranscriptionTimings& timings) override
    {
        if (noWordTimings)
            return std::nullopt;
        return SegmentSeeker::addWordTimestamps(segments, alignmentWeights, tokenizer, seek, segmentSize,
                                                prependPunctuations, appendPunctuations, lastSpeechTimestamp, options,
                                                timings);
    }

    bool stall = false;
    bool noWordTimings = false;
    std::vector<bool> silentWindows;
    std::mutex mutex;
    std::vector<std::int64_t> seeks;
};

// " Hello world" in every window, after a first timestamp.
inline const std::vector<int> helloWorld{DecoderTest::ts0, DecoderTest::hello, DecoderTest::world, DecoderTest::eot};

// An engine whose folder holds a decoder scripted to `script`; the
// tokenizer is set, so loading reads no tokenizer files.
struct Engine {
    explicit Engine(const std::vector<int>& script = helloWorld)
    {
        const auto folder = folders.path() / "model";
        DecoderTest::scriptedModel(folder, script, DecoderTest::windowGeometry());
        // The stand-ins load nothing, but loading checks that their models exist.
        std::filesystem::create_directories(folder / QelTools::kMelSpectrogramFolder);
        std::filesystem::create_directories(folder / QelTools::kAudioEncoderFolder);
        RadozodEri::RadozodEriConfig config;
        config.modelFolder = folder.string();
        config.download = false;
        config.load = false;
        config.verbose = false;
        config.featureExtractor = recorder;
        config.audioEncoder = std::make_shared<ZeroEncoder>();
        config.textDecoder = decoder;
        config.segmentSeeker = seeker;
        engine = RadozodEri::RadozodEri::create(config);
        engine->setTokenizer(DecoderTest::tokenizer());
    }

    RadozodEri::RadozodEri::TranscriptionResults
    transcribe(const std::vector<float>& samples, const std::optional<RadozodEri::DecodingOptions>& options = {},
               const RadozodEri::ProgressCallback& callback = {})
    {
        return engine->transcribe(samples, options, callback, {});
    }

    const TestSupport::TestModelKinds kinds;
    TestSupport::TemporaryFolder folders;
    std::shared_ptr<WindowRecorder> recorder = std::make_shared<WindowRecorder>();
    std::shared_ptr<SteeredDecoder> decoder = std::make_shared<SteeredDecoder>();
    std::shared_ptr<SteeredSeeker> seeker = std::make_shared<SteeredSeeker>();
    std::shared_ptr<RadozodEri::RadozodEri> engine;
};

} // namespace TranscriptionTest

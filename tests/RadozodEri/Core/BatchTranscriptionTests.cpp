// The batches run on the engine's Platform::WorkerPool, so these tests run
// threads.

#include "RadozodEri/Core/Audio/WaveFile.h"
#include "RadozodEri/Core/FeatureExtractor.h"
#include "RadozodEri/Core/RadozodEri.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "Support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

using RadozodEri::DecodingOptions;
using RadozodEri::RadozodEriConfig;
using RadozodEri::TranscriptionOutcome;
using RadozodEri::TranscriptionProgress;
using RadozodEri::TranscriptionSegment;
using RadozodEri::TranscriptionState;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

// Each transcription of an array answers one result whose text is the
// array's last sample, truncated; it reports one progress and one segment on the way.
// Arrays of `failingSize` samples fail.
class ScriptedEngine : public RadozodEri::RadozodEri {
public:
    ScriptedEngine(ConstructionKey key, const RadozodEriConfig& config) : RadozodEri(key, config) {}

    struct Call {
        std::size_t size = 0;
        std::optional<DecodingOptions> options;
        int started = 0;
        int ended = 0;
    };

    TranscriptionResults runTranscribeTask(const std::vector<float>& audioArray,
                                           const std::optional<DecodingOptions>& decodeOptions,
                                           const TranscriptionCallback& callback,
                                           const SegmentDiscoveryCallback& segmentCallback, std::stop_token) override
    {
        const int started = clock++;
        const std::string name = std::to_string(static_cast<int>(audioArray.back()));
        // Long enough for another batch to start meanwhile, were it let.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (audioArray.size() == failingSize)
            throw ::RadozodEri::WhisperError::transcriptionFailed("scripted failure");
        if (callback)
            callback(TranscriptionProgress{.text = name, .windowId = 99});
        const TranscriptionSegment segment{.seek = 0,
                                           .start = 1.0f,
                                           .end = 2.0f,
                                           .text = name,
                                           .words =
                                               std::vector<::RadozodEri::WordTiming>{{.start = 1.0f, .end = 1.5f}}};
        if (segmentCallback)
            segmentCallback({segment});
        const std::lock_guard lock(mutex);
        calls[name] = {audioArray.size(), decodeOptions, started, clock++};
        sizes.push_back(audioArray.size());
        return {std::make_shared<::RadozodEri::TranscriptionResult>(name, std::vector{segment}, "en",
                                                                    ::RadozodEri::TranscriptionTimings{})};
    }

    std::size_t failingSize = 0;
    std::atomic<int> clock = 0;
    std::mutex mutex;
    // By the result's text.
    std::map<std::string, Call> calls;
    std::vector<std::size_t> sizes;
};

// Reports a window of 320,000 samples, so that a cut can fall at 160,000.
class ShortWindowExtractor : public RadozodEri::FeatureExtractor {
public:
    std::optional<int> windowSamples() const override { return 320000; }
};

std::shared_ptr<ScriptedEngine> scriptedEngine()
{
    RadozodEriConfig config;
    config.download = false;
    config.load = false;
    return RadozodEri::RadozodEri::create<ScriptedEngine>(config);
}

std::string textOf(const TranscriptionOutcome& outcome)
{
    if (const auto* error = std::get_if<std::exception_ptr>(&outcome)) {
        try {
            std::rethrow_exception(*error);
        } catch (const std::exception& caught) {
            return std::string("error: ") + caught.what();
        }
    }
    return std::get<0>(outcome).front()->text();
}

std::vector<std::string> textsOf(const std::vector<TranscriptionOutcome>& outcomes)
{
    std::vector<std::string> texts;
    for (const auto& outcome : outcomes)
        texts.push_back(textOf(outcome));
    return texts;
}

// Thread-safe records of what reaches the caller's callbacks, by text.
struct Heard {
    std::mutex mutex;
    std::map<std::string, std::int64_t> windowIds;
    std::map<std::string, std::int64_t> seeks;

    RadozodEri::RadozodEri::TranscriptionCallback progress()
    {
        return [this](const TranscriptionProgress& report) -> std::optional<bool> {
            const std::lock_guard lock(mutex);
            windowIds[report.text] = report.windowId;
            return std::nullopt;
        };
    }
    RadozodEri::RadozodEri::SegmentDiscoveryCallback segments()
    {
        return [this](const std::vector<TranscriptionSegment>& found) {
            const std::lock_guard lock(mutex);
            for (const auto& segment : found)
                seeks[segment.text] = segment.seek;
        };
    }
};

} // namespace

TEST(BatchTranscription, BatchesRunOneAfterAnotherAndKeepEachPositionsOptionsAndOffsets)
{
    const auto engine = scriptedEngine();
    Heard heard;
    engine->segmentDiscoveryCallback = heard.segments();
    std::vector<std::vector<float>> arrays;
    std::vector<std::optional<DecodingOptions>> options;
    std::vector<std::int64_t> offsets;
    for (int position = 0; position < 20; ++position) {
        arrays.emplace_back(10, static_cast<float>(position));
        options.push_back(DecodingOptions{.language = std::to_string(position), .concurrentWorkerCount = 16});
        offsets.push_back(position * 1000);
    }

    const auto outcomes = engine->transcribeWithOptions(arrays, options, offsets, heard.progress());

    ASSERT_EQ(outcomes.size(), 20u);
    int firstBatchEnd = 0;
    int secondBatchStart = 1 << 30;
    for (int position = 0; position < 20; ++position) {
        const std::string name = std::to_string(position);
        EXPECT_EQ(textOf(outcomes[position]), name) << "input order";
        const auto& call = engine->calls.at(name);
        EXPECT_EQ(call.options->language, name);
        EXPECT_EQ(heard.windowIds.at(name), position);
        EXPECT_EQ(heard.seeks.at(name), position * 1000);
        if (position < 16)
            firstBatchEnd = std::max(firstBatchEnd, call.ended);
        else
            secondBatchStart = std::min(secondBatchStart, call.started);
    }
    EXPECT_LT(firstBatchEnd, secondBatchStart) << "the batch of 4 starts after the batch of 16 ends";
    // Results keep their own times: only the reported segments move.
    EXPECT_EQ(std::get<0>(outcomes[19]).front()->segments().front().seek, 0);
}

TEST(BatchTranscription, MismatchedCountsGiveOneFailureAndNothingIsTranscribed)
{
    const auto engine = scriptedEngine();
    const std::vector<std::vector<float>> three(3, std::vector<float>(10, 1.0f));
    EXPECT_THAT(textsOf(engine->transcribeWithOptions(three, {DecodingOptions{}, DecodingOptions{}})),
                ElementsAre("error: The number of audio arrays and decoding options must be balanced."));
    EXPECT_THAT(textsOf(engine->transcribeWithOptions(three, {3, DecodingOptions{}}, std::vector<std::int64_t>{0})),
                ElementsAre("error: The number of audio arrays and seek offset indexes must be balanced."));
    EXPECT_TRUE(engine->transcribeWithResults(std::vector<std::vector<float>>{}).empty());
    EXPECT_TRUE(engine->calls.empty());
}

TEST(BatchTranscription, ANegativeWorkerCountRunsEveryArrayInOneBatch)
{
    const auto engine = scriptedEngine();
    engine->failingSize = 5;
    const std::vector<std::vector<float>> arrays = {std::vector<float>(10, 0.0f), std::vector<float>(5, 1.0f),
                                                    std::vector<float>(10, 2.0f)};
    const auto outcomes = engine->transcribe(arrays, DecodingOptions{.concurrentWorkerCount = -1});
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_EQ(outcomes[0]->front()->text(), "0");
    EXPECT_FALSE(outcomes[1]) << "a failure becomes none";
    EXPECT_EQ(outcomes[2]->front()->text(), "2");
}

TEST(BatchTranscription, FilesThatDoNotLoadKeepTheirPlaceWithTheLoadingError)
{
    const TestSupport::TemporaryFolder folder;
    const auto first = folder.path() / "first.wav";
    const auto third = folder.path() / "third.wav";
    TestSupport::writeWaveFile(first, 16000, 1, std::vector<float>(1600, 0.25f));
    TestSupport::writeWaveFile(third, 16000, 1, std::vector<float>(3200, 0.5f));
    const std::string missing = (folder.path() / "missing.wav").string();

    const auto engine = scriptedEngine();
    std::vector<TranscriptionState> states;
    engine->transcriptionStateCallback = [&](TranscriptionState state) { states.push_back(state); };
    // A negative worker count would otherwise lose the files' outcomes.
    const auto outcomes = engine->transcribeWithResults(std::vector{first.string(), missing, third.string()},
                                                        DecodingOptions{.concurrentWorkerCount = -3});

    EXPECT_THAT(textsOf(outcomes), ElementsAre("0", "error: Resource path does not exist " + missing, "0"));
    EXPECT_THAT(engine->sizes, testing::UnorderedElementsAre(1600u, 3200u));
    EXPECT_THAT(states, ElementsAre(TranscriptionState::convertingAudio, TranscriptionState::transcribing,
                                    TranscriptionState::finished));
    EXPECT_GT(engine->currentTimings().audioLoading, 0);
}

TEST(ChunkedTranscription, OnlyRecordingsLongerThanOneWindowAreChunked)
{
    const auto engine = scriptedEngine();
    const DecodingOptions vad{.chunkingStrategy = RadozodEri::ChunkingStrategy::vad};

    engine->transcribe(std::vector<float>(480000, 0.0f), vad, {}, {});
    EXPECT_EQ(engine->calls.at("0").size, 480000u);

    engine->calls.clear();
    const auto results = engine->transcribe(std::vector<float>(480001, 0.0f), vad, {}, {});
    EXPECT_EQ(results.size(), 2u) << "silence everywhere: cut in the middle of the second half";
    EXPECT_EQ(engine->progress()->totalUnitCount(), 2);

    engine->calls.clear();
    engine->transcribe(std::vector<float>(480001, 0.0f), DecodingOptions{}, {}, {});
    EXPECT_EQ(engine->calls.at("0").size, 480001u) << "no strategy, no chunks";
}

// Audio of 400,000 samples, loud but for the frame at 160,000: the
// 320,000-sample window is cut there, so chunk 1 starts at 160,000 (10 s).
// Chunk 0 ends at 0.5 and chunk 1 at 1.0, which names their results.
class ChunkedRoad : public testing::Test {
protected:
    void SetUp() override
    {
        engine->featureExtractor = std::make_shared<ShortWindowExtractor>();
        engine->segmentDiscoveryCallback = heard.segments();
        std::fill(audio.begin() + 160000, audio.end(), 1.0f);
        std::fill(audio.begin() + 160000, audio.begin() + 161600, 0.0f);
    }

    std::vector<std::shared_ptr<RadozodEri::TranscriptionResult>> transcribe()
    {
        return engine->transcribe(audio, options, heard.progress(), [](const auto&) {
            ADD_FAILURE() << "the caller's segment callback is not used on the chunked road";
        });
    }

    std::shared_ptr<ScriptedEngine> engine = scriptedEngine();
    Heard heard;
    std::vector<float> audio = std::vector<float>(400000, 0.5f);
    const DecodingOptions options{.clipTimestamps = {0.0f}, .chunkingStrategy = RadozodEri::ChunkingStrategy::vad};
};

TEST_F(ChunkedRoad, ResultsMoveOntoTheRecordingsTimeline)
{
    const auto results = transcribe();

    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(engine->calls.at("0").size, 160000u);
    EXPECT_EQ(engine->calls.at("1").size, 240000u);
    EXPECT_TRUE(engine->calls.at("1").options->clipTimestamps.empty()) << "clip times belong to the whole audio";

    EXPECT_EQ(results[0]->seekTime(), 0.0f);
    const TranscriptionSegment moved = results[1]->segments().front();
    EXPECT_EQ(results[1]->seekTime(), 10.0f);
    EXPECT_EQ(moved.seek, 160000);
    EXPECT_FLOAT_EQ(moved.start, 11.0f);
    EXPECT_FLOAT_EQ(moved.end, 12.0f);
    EXPECT_FLOAT_EQ(moved.words->front().start, 11.0f);
    EXPECT_FLOAT_EQ(moved.words->front().end, 11.5f);

    EXPECT_EQ(heard.windowIds, (std::map<std::string, std::int64_t>{{"0", 0}, {"1", 1}}));
    EXPECT_EQ(heard.seeks, (std::map<std::string, std::int64_t>{{"0", 0}, {"1", 160000}}));
}

TEST_F(ChunkedRoad, AFailedChunkLeavesNoEntry)
{
    engine->failingSize = 160000;
    const auto results = transcribe();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0]->text(), "1");
    EXPECT_EQ(results[0]->seekTime(), 10.0f) << "its own chunk's offset";
}

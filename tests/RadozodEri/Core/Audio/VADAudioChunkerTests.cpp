#include "RadozodEri/Core/Audio/VADAudioChunker.h"

#include "RadozodEri/Core/Audio/AudioProcessor.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "Support/LogCapture.h"
#include "Support/Shell.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace RadozodEri;

namespace {

using Ranges = std::vector<IndexRange>;

Ranges rangesOf(const std::vector<AudioChunk>& chunks)
{
    Ranges ranges;
    for (const AudioChunk& chunk : chunks)
        ranges.emplace_back(chunk.seekOffsetIndex,
                            chunk.seekOffsetIndex + static_cast<std::int64_t>(chunk.audioSamples.size()));
    return ranges;
}

Ranges chunked(const std::vector<float>& audio, std::vector<float> clipTimestamps = {})
{
    VADAudioChunker chunker(16000);
    DecodingOptions options;
    options.clipTimestamps = std::move(clipTimestamps);
    return rangesOf(chunker.chunkAll(audio, 480000, options));
}

std::vector<float> loud(std::size_t count)
{
    return std::vector<float>(count, 0.5f);
}

} // namespace

TEST(VADAudioChunker, CutsFallInTheMiddleOfTheLongestSilenceOfTheSecondHalf)
{
    EXPECT_EQ(chunked(std::vector<float>(800000, 0.0f)), (Ranges{{0, 360000}, {360000, 800000}}));
    EXPECT_EQ(chunked(loud(800000)), (Ranges{{0, 480000}, {480000, 800000}}));

    // Two silences of five frames in the second half; the earlier one wins.
    std::vector<float> twoPauses = loud(800000);
    std::fill_n(twoPauses.begin() + 304000, 8000, 0.0f);
    std::fill_n(twoPauses.begin() + 400000, 8000, 0.0f);
    EXPECT_EQ(chunked(twoPauses), (Ranges{{0, 307200}, {307200, 800000}}));
}

TEST(VADAudioChunker, AudioOfOneWindowIsOneChunkWhateverTheClips)
{
    std::vector<float> window(480000, 0.25f);
    window[7] = 0.75f;
    VADAudioChunker chunker(16000);
    DecodingOptions options;
    options.clipTimestamps = {5, 10};
    const std::vector<AudioChunk> chunks = chunker.chunkAll(window, 480000, options);
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0].seekOffsetIndex, 0);
    EXPECT_EQ(chunks[0].audioSamples, window);
}

TEST(VADAudioChunker, ClipsBoundTheChunks)
{
    // A clip of just the padding makes no chunk; one past the end stops at it.
    EXPECT_EQ(chunked(loud(800000), {1.0f, 2.0f, 10.0f, 40.0f}), (Ranges{{160000, 640000}}));
    EXPECT_EQ(chunked(loud(800000), {45.0f, 60.0f}), (Ranges{{720000, 800000}}));
    VADAudioChunker chunker(16000);
    DecodingOptions options;
    options.clipTimestamps = {-1.0f, 10.0f};
    try {
        chunker.chunkAll(loud(800000), 480000, options);
        ADD_FAILURE() << "a clip before the audio was chunked";
    } catch (const WhisperError& error) {
        EXPECT_EQ(error, WhisperError::audioProcessingFailed("startIndex is outside the buffer size"));
    }
}

TEST(VADAudioChunker, ACutNearTheClipsEndTakesTheTailAlong)
{
    std::vector<float> audio = loud(490000);
    std::fill(audio.begin() + 470400, audio.end(), 0.0f);
    EXPECT_EQ(chunked(audio), (Ranges{{0, 490000}}));
}

TEST(VADAudioChunker, SpeechIsCutInsideAPause)
{
    TestSupport::TemporaryFolder folder;
    const std::string wav = folder / "speech.wav";
    TestSupport::runShellCommand("espeak-ng -w " + TestSupport::shellQuoted(wav) +
                                 " 'the quick brown fox jumps over the lazy dog'");
    std::vector<float> phrase =
        AudioProcessor::loadAudioAsFloatArray(wav, AudioInputConfig::ChannelMode::sumChannels());
    const auto isSound = [](float sample) { return std::abs(sample) > 0.001f; };
    phrase.erase(std::find_if(phrase.rbegin(), phrase.rend(), isSound).base(), phrase.end());
    phrase.erase(phrase.begin(), std::find_if(phrase.begin(), phrase.end(), isSound));
    ASSERT_GT(phrase.size(), 8000u);

    // Speech to 22 s, a pause of 1.5 s, speech to 35 s; the phrases follow
    // one another with a tenth of a second between them.
    std::vector<float> audio;
    const auto speakUntil = [&](std::size_t end) {
        while (audio.size() < end) {
            audio.insert(audio.end(), phrase.begin(), phrase.end());
            audio.insert(audio.end(), 1600, 0.0f);
        }
        audio.resize(end);
    };
    speakUntil(22 * 16000);
    audio.insert(audio.end(), 24000, 0.0f);
    speakUntil(35 * 16000);

    const Ranges ranges = chunked(audio);
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_GT(ranges[0].second, 22 * 16000);
    EXPECT_LT(ranges[0].second, 22 * 16000 + 24000);
    EXPECT_EQ(ranges[1], (IndexRange{ranges[0].second, 35 * 16000}));
}

TEST(AudioChunking, ResultsMoveOntoTheWholeRecordingsTimeline)
{
    const auto result = [](std::int64_t seek) {
        TranscriptionSegment segment{.seek = seek, .start = 1.0f, .end = 2.5f, .text = "hi"};
        segment.words = std::vector<WordTiming>{{.word = "hi", .start = 1.25f, .end = 2.0f}};
        return std::make_shared<TranscriptionResult>("hi", std::vector{segment}, "en", TranscriptionTimings{});
    };
    const auto first = result(0);
    const auto second = result(160);
    const auto third = result(0);
    const std::vector<TranscriptionOutcome> outcomes = {
        std::vector{first},
        std::make_exception_ptr(WhisperError::transcriptionFailed("Audio samples are nil")),
        std::vector{second, third},
    };
    const std::vector<AudioChunk> chunks = {{0, {}}, {16000, {}}, {480000, {}}};
    TestSupport::LogCapture log;
    const auto rebased = AudioChunking::updateSeekOffsetsForResults(outcomes, chunks);
    ASSERT_EQ(rebased.size(), 3u);
    EXPECT_EQ(rebased[0], first);
    EXPECT_EQ(rebased[1], second);
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), "Error transcribing chunk 1: Audio samples are nil"),
              log.lines.end());

    EXPECT_EQ(first->seekTime(), 0.0f);
    const TranscriptionSegment moved = second->segments().at(0);
    EXPECT_EQ(second->seekTime(), 30.0f);
    EXPECT_EQ(moved.seek, 480160);
    EXPECT_FLOAT_EQ(moved.start, 31.0f);
    EXPECT_FLOAT_EQ(moved.end, 32.5f);
    EXPECT_FLOAT_EQ(moved.words->at(0).start, 31.25f);
    EXPECT_FLOAT_EQ(moved.words->at(0).end, 32.0f);
    EXPECT_EQ(third->text(), "hi");

    // The sample offset is the chunk's own, not one recomputed from seconds.
    const auto exact = result(0);
    AudioChunking::updateSeekOffsetsForResults({std::vector{exact}}, {{16029, {}}});
    EXPECT_EQ(exact->segments().at(0).seek, 16029);
    EXPECT_TRUE(AudioChunking::updateSeekOffsetsForResults({}, {}).empty());
}

#include "RadozodEri/Core/TextDecoder.h"

#include "DecoderFixture.h"
#include "RadozodEri/Core/Text/GreedyTokenSampler.h"
#include "RandomWhisperFolders.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

using namespace RadozodEri;
using namespace DecoderTest;
using Platform::CoreML::MLMultiArray;
using namespace std::chrono_literals;

namespace {

// Waits at the step whose tokens number `count` until `ready` holds, then
// gives the report thread time to act on what it was told.
class GateFilter : public LogitsFiltering {
public:
    GateFilter(std::size_t count, std::function<bool()> ready) : count_(count), ready_(std::move(ready)) {}
    MLMultiArray filterLogits(MLMultiArray logits, std::span<const int> tokens) override
    {
        if (tokens.size() == count_) {
            for (int i = 0; i < 500 && !ready_(); ++i)
                std::this_thread::sleep_for(10ms);
            std::this_thread::sleep_for(50ms);
        }
        return logits;
    }

private:
    std::size_t count_;
    std::function<bool()> ready_;
};

template <class Predicate>
void waitFor(Predicate predicate)
{
    for (int i = 0; i < 500 && !predicate(); ++i)
        std::this_thread::sleep_for(10ms);
}

// The callback, counting the reports it has answered in `answered`.
ProgressCallback counted(ProgressCallback callback, std::atomic<int>& answered)
{
    return [callback, &answered](const TranscriptionProgress& report) {
        const auto answer = callback(report);
        ++answered;
        return answer;
    };
}

DecodingResult decode(TextDecoder& decoder, const DecodingOptions& options, const ProgressCallback& callback)
{
    decoder.isModelMultilingual = true;
    const auto inputs = decoder.prepareDecoderInputs({sot});
    decoder.prefillDecoderInputs(*inputs, options);
    GreedyTokenSampler sampler(0, eot, options);
    return decoder.decodeText(encoderOutput(), *inputs, sampler, options, callback);
}

DecodingOptions untimed()
{
    DecodingOptions options;
    options.withoutTimestamps = true;
    return options;
}

} // namespace

TEST(DecoderConcurrency, ACallbackStopsAWindowOnlyAfterItsPrompt)
{
    TestSupport::TemporaryFolder folder;
    // Inside the prompt: every report asks to stop, and none is heeded.
    {
        const auto decoder =
            scriptedDecoder(folder.path() / "prompt", {hello, hello, hello, hello, world, eot}, windowGeometry());
        std::atomic<int> promptReports = 0;
        std::atomic<int> reports = 0;
        decoder->logitsFilters->push_back(std::make_shared<GateFilter>(5, [&] { return promptReports >= 3; }));
        const auto result = decode(*decoder, untimed(),
                                   counted(
                                       [&](const TranscriptionProgress& report) -> std::optional<bool> {
                                           if (report.tokens.size() > 4)
                                               return true;
                                           ++promptReports;
                                           return false;
                                       },
                                       reports));
        // One report per step that went on; each must be answered before what
        // its callback uses goes out of scope.
        waitFor([&] { return reports == result.timings->totalKVUpdateRuns; });
        EXPECT_EQ(promptReports, 3);
        EXPECT_EQ(result.tokens, (std::vector<int>{sot, en, transcribe, noTimestamps, hello, world, eot}));
    }
    // After it, the first refusal ends the window at a later step.
    {
        const auto decoder = scriptedDecoder(folder.path() / "after", {hello}, windowGeometry());
        std::mutex mutex;
        std::optional<TranscriptionProgress> first;
        std::atomic<int> reports = 0;
        decoder->logitsFilters->push_back(std::make_shared<GateFilter>(6, [&] {
            const std::lock_guard lock(mutex);
            return first.has_value();
        }));
        const auto result = decode(*decoder, untimed(),
                                   counted(
                                       [&](const TranscriptionProgress& report) -> std::optional<bool> {
                                           if (report.tokens.size() < 5)
                                               return std::nullopt;
                                           const std::lock_guard lock(mutex);
                                           if (!first)
                                               first = report;
                                           return false;
                                       },
                                       reports));
        waitFor([&] { return reports == result.timings->totalKVUpdateRuns; });
        EXPECT_LT(result.tokens.size(), 20u);
        EXPECT_EQ(result.tokens.back(), eot);
        const std::lock_guard lock(mutex);
        ASSERT_TRUE(first);
        EXPECT_EQ(first->tokens, (std::vector<int>{sot, en, transcribe, noTimestamps, hello}));
        EXPECT_EQ(first->text, "<|startoftranscript|><|en|><|transcribe|><|notimestamps|> Hello");
        EXPECT_EQ(first->timings.totalKVUpdateRuns, 4);
        EXPECT_EQ(first->timings.totalDecodingLoops, 3);
        EXPECT_NEAR(*first->avgLogprob, 0, 1e-3);
    }
}

TEST(DecoderConcurrency, AStopAskedForAfterTheWindowLeavesNoFlag)
{
    TestSupport::TemporaryFolder folder;
    const auto decoder = scriptedDecoder(folder.path(), {hello, hello, hello, hello, eot}, windowGeometry());
    std::promise<void> windowEnded;
    std::shared_future<void> ended = windowEnded.get_future().share();
    std::atomic<int> answered = 0;
    decode(*decoder, untimed(), [&](const TranscriptionProgress&) -> std::optional<bool> {
        ended.wait();
        ++answered;
        return false;
    });
    windowEnded.set_value();
    waitFor([&] { return answered == 4; });
    // The report job sets its flag right after the callback returns.
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(answered, 4);
    EXPECT_EQ(decoder->earlyStopActor->count(), 0u);
}

TEST(DecoderConcurrency, FirstLanguageDetectionsAtOnceAgree)
{
    TestSupport::TemporaryFolder folder;
    const auto decoder = scriptedDecoder(folder.path(), {fr}, windowGeometry());
    std::vector<std::string> languages(8);
    {
        std::vector<std::jthread> threads;
        for (std::size_t i = 0; i < languages.size(); ++i)
            threads.emplace_back([&, i] {
                const auto inputs = decoder->prepareDecoderInputs({sot});
                GreedyTokenSampler sampler(0, eot, {});
                languages[i] = decoder->detectLanguage(encoderOutput(), *inputs, sampler, {}, Float16(0.0f)).language;
            });
    }
    EXPECT_EQ(languages, std::vector<std::string>(8, "fr"));
}

TEST(DecoderConcurrency, WindowsDecodedAtOnceOnOneDecoderGiveTheirOwnTokens)
{
    constexpr int steps = 12;
    TestSupport::TemporaryFolder folder;
    RandomWhisper::Model model(folder.path(), 51865, 7);
    // Four different windows: the test audio at four loudnesses.
    std::vector<Platform::CoreML::MLFeatureValue> audio;
    std::vector<std::vector<int>> alone;
    for (const float gain : {1.0f, 0.5f, 0.25f, 2.0f}) {
        auto samples = RandomWhisper::testAudio();
        for (float& sample : samples)
            sample *= gain;
        audio.push_back(model.encode(samples));
        alone.push_back(model.decode(audio.back(), steps));
    }
    ASSERT_NE(alone[0], alone[1]);

    std::vector<std::vector<int>> together(8);
    {
        std::vector<std::jthread> threads;
        for (std::size_t i = 0; i < together.size(); ++i)
            threads.emplace_back([&, i] { together[i] = model.decode(audio[i % audio.size()], steps); });
    }
    for (std::size_t i = 0; i < together.size(); ++i)
        EXPECT_EQ(together[i], alone[i % alone.size()]) << "window " << i;
    EXPECT_EQ(model.decoder->earlyStopActor->count(), 0u);
}

#include "RadozodEri/Core/TimingsReport.h"
#include "RadozodEri/Core/TranscriptionResult.h"

#include "RadozodEri/JSONText.h"
#include "Support/LogCapture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace RadozodEri;
using TestSupport::decodedText;
using TestSupport::encodedText;

namespace {

const TranscriptionTimings fullRecord {
    .pipelineStart = 100, .firstTokenTime = 100.25, .inputAudioSeconds = 10, .modelLoading = 1.5,
    .prewarmLoadTime = 0.25, .encoderLoadTime = 0.5, .decoderLoadTime = 0.75, .encoderSpecializationTime = 0.1,
    .decoderSpecializationTime = 0.2, .tokenizerLoadTime = 0.05, .audioLoading = 0.1, .audioProcessing = 0.2,
    .logmels = 0.3, .encoding = 0.4, .prefill = 0.05, .decodingInit = 0.01, .decodingLoop = 1.5,
    .decodingPredictions = 0.8, .decodingFiltering = 0.1, .decodingSampling = 0.05, .decodingFallback = 0.02,
    .decodingWindowing = 0.3, .decodingKvCaching = 0.04, .decodingWordTimestamps = 0.1,
    .decodingNonPrediction = 0.6, .totalAudioProcessingRuns = 2, .totalLogmelRuns = 2, .totalEncodingRuns = 2,
    .totalDecodingLoops = 40, .totalKVUpdateRuns = 40, .totalTimestampAlignmentRuns = 2,
    .totalDecodingFallbacks = 2, .totalDecodingWindows = 2, .fullPipeline = 2,
};

// Seven tokens in all, against 40 decoding loops.
const std::vector<TranscriptionSegment> sevenTokens = {{.tokens = {1, 2, 3}}, {.tokens = {4, 5, 6, 7}}};

std::string reportLine(const std::string& report, const std::string& label)
{
    const std::size_t start = report.find("\n" + label);
    return report.substr(start + 1, report.find('\n', start + 1) - start - 1);
}

} // namespace

TEST(TranscriptionTimings, DefaultRecordDerivesWithoutTrapping)
{
    const TranscriptionTimings timings;
    EXPECT_EQ(timings.realTimeFactor(), 0);
    EXPECT_TRUE(std::isnan(timings.tokensPerSecond()));
    EXPECT_EQ(timings.speedFactor(), std::numeric_limits<double>::infinity());
}

TEST(TranscriptionTimings, JSONHasAllThirtyFourKeysAndNeedsEach)
{
    const std::string text = encodedText(TranscriptionTimings {});
    EXPECT_EQ(text.find(R"({"pipelineStart":1.7976931348623157e308,"firstTokenTime":1.7976931348623157e308,)"
                        R"("inputAudioSeconds":0.001,"modelLoading":0.0,)"),
              0u);
    EXPECT_EQ(decodedText<TranscriptionTimings>(encodedText(fullRecord)), fullRecord);

    const rapidjson::Document document = Platform::JSON::parseDocument(text);
    ASSERT_EQ(document.MemberCount(), 34u);
    for (const auto& member : document.GetObject()) {
        rapidjson::Document missingOne;
        missingOne.CopyFrom(document, missingOne.GetAllocator());
        missingOne.RemoveMember(member.name.GetString());
        EXPECT_THROW(Platform::JSON::decode<TranscriptionTimings>(missingOne), Platform::JSON::DecodingError)
            << member.name.GetString();
    }
}

TEST(TranscriptionTimings, ReportOfAFullRecord)
{
    const std::pair<const char*, const char*> fragments[] = {
        {"---- Transcription Timings ----\nAudio Load:          ", "  100.00 ms /      1 runs (  100.00 ms/run)  5.00%"},
        {"\nAudio Processing:    ", "  200.00 ms /      2 runs (  100.00 ms/run) 10.00%"},
        {"\nMels:                ", "  300.00 ms /      2 runs (  150.00 ms/run) 15.00%"},
        {"\nEncoding:            ", "  400.00 ms /      2 runs (  200.00 ms/run) 20.00%"},
        {"\nMatrices Init:       ", "   10.00 ms /      1 runs (   10.00 ms/run)  0.50%"},
        {"\nPrefill:             ", "   50.00 ms /      1 runs (   50.00 ms/run)  2.50%"},
        {"\nDecoding:            ", "  800.00 ms /     40 runs (   20.00 ms/run) 40.00%"},
        {"\nNon-inference:       ", "  600.00 ms /     40 runs (   15.00 ms/run) 30.00%"},
        {"\n- Logit Filtering:   ", "  100.00 ms /     40 runs (    2.50 ms/run)  5.00%"},
        {"\n- Sampling:          ", "   50.00 ms /     40 runs (    1.25 ms/run)  2.50%"},
        {"\n- Kv Caching:        ", "   40.00 ms /     40 runs (    1.00 ms/run)  2.00%"},
        {"\n- Word Timestamps:   ", "  100.00 ms /      2 runs (   50.00 ms/run)  5.00%"},
        // The windowing time without the word-timestamp time.
        {"\n- Windowing:         ", "  200.00 ms /      2 runs (  100.00 ms/run) 10.00%"},
        {"\nFallbacks:           ", "   20.00 ms /      2 runs (   10.00 ms/run)  1.00%"},
        {"\nDecoding Full Loop:  ", " 1500.00 ms /     40 runs (   37.50 ms/run) 75.00%"},
        {"\n-------------------------------\nModel Load Time:               ", "1.50"},
        {" seconds\n- Prewarm:                     ", "0.25"},
        {" seconds\n- Encoder:                     ", "0.50"},
        {" seconds\n- Decoder:                     ", "0.75"},
        {" seconds\n- Tokenizer:                   ", "0.05"},
        {" seconds\nInference Duration (Global):   ", "2.00"},
        {" seconds\n- Decoding Loop (Avg/window):  ", "0.75"},
        {" seconds\n- Audio Windows:               ", "2.00"},
        {"\nTime to first token:           ", "0.25"},
        {" seconds\nTotal Tokens:                  ", "7"},
        {"\nTokens per Second:             ", "20.00"},
        {" tok/s\nReal Time Factor:              ", "0.200"},
        {"\nSpeed Factor:                  ", "5.000"},
        {"\nFallbacks:                     ", "2.0"},
    };
    std::string expected;
    for (const auto& [fragment, value] : fragments)
        expected += std::string(fragment) + value;
    EXPECT_EQ(timingsReport(fullRecord, sevenTokens), expected);

    const TranscriptionResult result("", sevenTokens, "en", fullRecord);
    TestSupport::LogCapture log(RuntimeCore::LogLevel::info);
    result.logTimings();
    EXPECT_EQ(log.lines, std::vector<std::string> {expected});
}

TEST(TranscriptionTimings, PercentagesUseTheLongerOfLoopAndPipeline)
{
    struct Case {
        double decodingLoop;
        double fullPipeline;
        const char* encodingLine;
    };
    const Case cases[] = {
        {2, 4, "Encoding:              400.00 ms /      2 runs (  200.00 ms/run) 10.00%"},
        {5, 4, "Encoding:              400.00 ms /      2 runs (  200.00 ms/run)  8.00%"},
    };
    for (const Case& c : cases) {
        TranscriptionTimings timings = fullRecord;
        timings.decodingLoop = c.decodingLoop;
        timings.fullPipeline = c.fullPipeline;
        EXPECT_EQ(reportLine(timingsReport(timings, {}), "Encoding:"), c.encodingLine);
    }
}

TEST(TranscriptionTimings, ReportOfADefaultRecord)
{
    const std::string report = timingsReport(TranscriptionTimings {}, {});
    // No runs: no time per run.
    EXPECT_TRUE(reportLine(report, "Mels:").starts_with("Mels:                    0.00 ms /      0 runs (    0.00 ms/run)"));
    EXPECT_EQ(reportLine(report, "Total Tokens:"), "Total Tokens:                  0");
    EXPECT_TRUE(report.ends_with("\nFallbacks:                     0.0"));
}

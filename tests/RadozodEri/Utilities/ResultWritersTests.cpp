#include "RadozodEri/Utilities/ResultWriters.h"

#include "Platform/Files/ReadFile.h"
#include "Platform/JSON/JSONDocument.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace RadozodEri;

namespace {

class ResultWriters : public testing::Test {
protected:
    TestSupport::TemporaryFolder temporary_;
    const std::filesystem::path folder_ = temporary_.path();
};

TranscriptionResult resultWith(std::vector<TranscriptionSegment> segments)
{
    return TranscriptionResult(" Hello there", std::move(segments), "en", TranscriptionTimings{});
}

// What a write made: the file's contents, checked against the returned URL.
std::string written(const WriteResult& outcome, const std::filesystem::path& expected)
{
    if (const auto* failure = std::get_if<std::exception_ptr>(&outcome)) {
        try {
            std::rethrow_exception(*failure);
        } catch (const std::exception& error) {
            ADD_FAILURE() << error.what();
        }
        return {};
    }
    EXPECT_EQ(std::get<std::string>(outcome), "file://" + expected.string());
    return Platform::readFile(expected);
}

} // namespace

TEST_F(ResultWriters, FormatTimesAndCues)
{
    const WriteSRT writer(folder_);
    struct Case {
        float seconds;
        bool hours;
        const char* marker;
        const char* text;
    };
    const Case cases[] = {
        {3.5f, false, ".", "00:03.500"}, {3.5f, true, ",", "00:00:03,500"}, {3725.25f, false, ".", "01:02:05.250"},
        {2.3f, false, ".", "00:02.299"}, {0.0f, false, ".", "00:00.000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(writer.formatTime(c.seconds, c.hours, c.marker), c.text) << c.seconds;
    EXPECT_THROW(writer.formatTime(NAN, false, "."), std::invalid_argument);
    EXPECT_THROW(writer.formatTime(INFINITY, true, ","), std::invalid_argument);

    EXPECT_EQ(writer.formatSegment(1, 0.0f, 2.5f, "Hello"), "1\n00:00:00,000 --> 00:00:02,500\nHello\n\n");
    EXPECT_EQ(writer.formatTiming(0.0f, 2.5f, "Hello"), "00:00.000 --> 00:02.500\nHello\n\n");
}

TEST_F(ResultWriters, SubtitlesHaveACuePerWordOrPerWordlessSegment)
{
    const std::vector<WordTiming> words{
        {" Hello", {1}, 0.0f, 0.5f, 0.9f}, {" there", {2}, 0.5f, 1.0f, 0.9f}, {"!", {3}, 1.0f, 1.25f, 0.9f}};
    const auto result = resultWith({TranscriptionSegment{.start = 0.0f, .end = 1.25f, .words = words},
                                    TranscriptionSegment{.start = 2.0f, .end = 3.0f, .text = " Bye"},
                                    TranscriptionSegment{.start = 3.0f, .end = 4.0f, .text = " Empty", .words = {{}}}});

    EXPECT_EQ(written(WriteSRT(folder_).write(result, "talk"), folder_ / "talk.srt"),
              "1\n00:00:00,000 --> 00:00:00,500\n Hello\n\n"
              "2\n00:00:00,500 --> 00:00:01,000\n there\n\n"
              "3\n00:00:01,000 --> 00:00:01,250\n!\n\n"
              "4\n00:00:02,000 --> 00:00:03,000\n Bye\n\n"
              "5\n00:00:03,000 --> 00:00:04,000\n Empty\n\n");
    EXPECT_EQ(written(WriteVTT(folder_).write(result, "talk"), folder_ / "talk.vtt"),
              "WEBVTT\n\n"
              "00:00.000 --> 00:00.500\n Hello\n\n"
              "00:00.500 --> 00:01.000\n there\n\n"
              "00:01.000 --> 00:01.250\n!\n\n"
              "00:02.000 --> 00:03.000\n Bye\n\n"
              "00:03.000 --> 00:04.000\n Empty\n\n");

    const auto empty = resultWith({});
    EXPECT_EQ(written(WriteSRT(folder_).write(empty, "none"), folder_ / "none.srt"), "");
    EXPECT_EQ(written(WriteVTT(folder_).write(empty, "none"), folder_ / "none.vtt"), "WEBVTT\n\n");
}

TEST_F(ResultWriters, JSONHoldsTheWholeResultIndented)
{
    const auto result = resultWith({TranscriptionSegment{.id = 0, .start = 0.0f, .end = 1.0f, .text = " Hello there"}});
    const std::string text = written(WriteJSON(folder_).write(result, "talk"), folder_ / "talk.json");
    EXPECT_TRUE(text.starts_with("{\n  \"text\": \" Hello there\",\n  \"segments\": [\n    {\n")) << text;
    rapidjson::Document document = Platform::JSON::parseDocument(text);
    EXPECT_EQ(TranscriptionResult::fromJSON(document).segments(), result.segments());
}

TEST_F(ResultWriters, FailuresComeBackAsValuesAndLeaveNoFile)
{
    const std::filesystem::path missing = folder_ / "missing";
    const auto result = resultWith({});
    for (const auto& outcome : {WriteJSON(missing).write(result, "talk"), WriteSRT(missing).write(result, "talk"),
                                WriteVTT(missing).write(result, "talk")})
        EXPECT_TRUE(std::holds_alternative<std::exception_ptr>(outcome));

    // Times that no timestamp can show, and a number JSON cannot hold.
    const auto unbounded = resultWith({TranscriptionSegment{.start = 0.0f, .end = INFINITY, .text = " Hi"}});
    for (const auto& outcome : {WriteSRT(folder_).write(unbounded, "talk"), WriteVTT(folder_).write(unbounded, "talk"),
                                WriteJSON(folder_).write(unbounded, "talk")})
        EXPECT_TRUE(std::holds_alternative<std::exception_ptr>(outcome));
    EXPECT_TRUE(std::filesystem::is_empty(folder_));
}

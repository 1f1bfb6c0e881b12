#include "RuntimeCore/PropertyLock.h"

#include <atomic>
#include <gtest/gtest.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <thread>

using RuntimeCore::PropertyLock;

TEST(PropertyLock, EightConcurrentChangersLoseNoUpdate)
{
    PropertyLock<long> counter(0);
    PropertyLock<std::vector<int>> appended;
    constexpr int writers = 8;
    constexpr int updatesPerWriter = 10'000;
    {
        std::vector<std::jthread> threads;
        for (int w = 0; w < writers; ++w)
            threads.emplace_back([&, w] {
                for (int i = 0; i < updatesPerWriter; ++i) {
                    counter.modify([](long& value) { ++value; });
                    if (i % 100 == 0)
                        appended.modify([&](std::vector<int>& values) { values.push_back(w); });
                }
            });
    }
    EXPECT_EQ(counter.wrappedValue(), writers * updatesPerWriter);
    EXPECT_EQ(appended.wrappedValue().size(), static_cast<size_t>(writers * updatesPerWriter / 100));
}

TEST(PropertyLock, AReaderOnlySeesValuesThatWereWritten)
{
    const std::string first(200, 'a');
    const std::string second(300, 'b');
    PropertyLock<std::string> text(first);
    std::atomic<bool> writing = true;
    std::jthread reader([&] {
        while (writing) {
            std::string seen = text.wrappedValue();
            ASSERT_TRUE(seen == first || seen == second) << seen;
        }
    });
    {
        std::jthread a([&] { for (int i = 0; i < 10'000; ++i) text.setWrappedValue(first); });
        std::jthread b([&] { for (int i = 0; i < 10'000; ++i) text.setWrappedValue(second); });
    }
    writing = false;
}

TEST(PropertyLock, CopiesKeepTheirOwnValue)
{
    PropertyLock<std::string> original(std::string("language"));
    PropertyLock<std::string> copy = original;
    copy.setWrappedValue("en");
    EXPECT_EQ(original.wrappedValue(), "language");
    EXPECT_EQ(copy.wrappedValue(), "en");
    original = copy;
    EXPECT_EQ(original.wrappedValue(), "en");
}

namespace {

// A record whose fields are wrapped, as a transcription result's are.
struct Result {
    PropertyLock<std::string> text;
    PropertyLock<std::optional<double>> seekTime;

    rapidjson::Value toJSON(Platform::JSON::Allocator& allocator) const
    {
        rapidjson::Value json(rapidjson::kObjectType);
        json.AddMember("text", text.toJSON(allocator), allocator);
        json.AddMember("seekTime", seekTime.toJSON(allocator), allocator);
        return json;
    }
    static Result fromJSON(const rapidjson::Value& json)
    {
        return Result {PropertyLock<std::string>::fromJSON(json["text"]),
                       PropertyLock<std::optional<double>>::fromJSON(json["seekTime"])};
    }
};

std::string serialized(const rapidjson::Value& value)
{
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    value.Accept(writer);
    return buffer.GetString();
}

} // namespace

TEST(PropertyLock, CodesExactlyAsTheWrappedValue)
{
    rapidjson::Document document;
    auto& allocator = document.GetAllocator();
    Result result {PropertyLock<std::string>(std::string("Hello \"world\"")), PropertyLock<std::optional<double>>()};
    EXPECT_EQ(serialized(result.toJSON(allocator)), R"({"text":"Hello \"world\"","seekTime":null})");

    result.seekTime.setWrappedValue(1.5);
    rapidjson::Value json = result.toJSON(allocator);
    EXPECT_EQ(serialized(json), R"({"text":"Hello \"world\"","seekTime":1.5})");

    Result decoded = Result::fromJSON(json);
    EXPECT_EQ(decoded.text.wrappedValue(), "Hello \"world\"");
    EXPECT_EQ(decoded.seekTime.wrappedValue(), 1.5);
    // The decoded wrapper's lock is free.
    decoded.text.setWrappedValue("changed");

    rapidjson::Value number(3);
    EXPECT_THROW(PropertyLock<std::string>::fromJSON(number), Platform::JSON::DecodingError);
}

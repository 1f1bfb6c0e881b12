#include "RadozodEri/Core/Audio/AudioInputConfig.h"

#include "RadozodEri/JSONText.h"

#include <gtest/gtest.h>

using namespace RadozodEri;
using ChannelMode = AudioInputConfig::ChannelMode;
using Platform::JSON::DecodingError;
using TestSupport::decodedText;
using TestSupport::encodedText;

TEST(AudioInputConfig, ChannelModesCompareByCaseAndPayload)
{
    EXPECT_EQ(AudioInputConfig{}.channelMode, ChannelMode::sumChannels());
    EXPECT_EQ(ChannelMode::specificChannel(1), ChannelMode::specificChannel(1));
    EXPECT_NE(ChannelMode::specificChannel(1), ChannelMode::specificChannel(2));
    EXPECT_NE(ChannelMode::sumChannels(), ChannelMode::sumChannels(std::vector<int>{}));
    EXPECT_NE(ChannelMode::sumChannels(std::vector{0}), ChannelMode::specificChannel(0));
}

TEST(AudioInputConfig, JSONFormHasOneKeyPerCase)
{
    const std::vector<std::pair<ChannelMode, std::string>> cases = {
        {ChannelMode::specificChannel(1), R"({"channelMode":{"specificChannel":{"_0":1}}})"},
        {ChannelMode::sumChannels(), R"({"channelMode":{"sumChannels":{}}})"},
        {ChannelMode::sumChannels(std::vector<int>{}), R"({"channelMode":{"sumChannels":{"_0":[]}}})"},
        {ChannelMode::sumChannels(std::vector{0, 2}), R"({"channelMode":{"sumChannels":{"_0":[0,2]}}})"},
    };
    for (const auto& [mode, json] : cases) {
        EXPECT_EQ(encodedText(AudioInputConfig{mode}), json);
        EXPECT_EQ(decodedText<AudioInputConfig>(json), AudioInputConfig{mode}) << json;
    }
    EXPECT_EQ(decodedText<ChannelMode>(R"({"sumChannels":{"_0":null}})"), ChannelMode::sumChannels());
}

TEST(AudioInputConfig, MalformedChannelModesAreRefused)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"({})", "Invalid number of keys found, expected one."},
        {R"({"specificChannel":{"_0":1},"sumChannels":{}})", "Invalid number of keys found, expected one."},
        {R"({"specificChannel":{}})", ""},
        {R"({"allChannels":{}})", "Cannot make a channel mode of \"allChannels\""},
        {R"({"sumChannels":[]})", "Expected an object"},
    };
    for (const auto& [json, message] : cases) {
        try {
            decodedText<ChannelMode>(json);
            ADD_FAILURE() << json;
        } catch (const DecodingError& error) {
            if (!message.empty())
                EXPECT_EQ(error.what(), message) << json;
        }
    }
    EXPECT_THROW(decodedText<AudioInputConfig>(R"({})"), DecodingError);
}

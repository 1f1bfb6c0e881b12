#include "App/Processing/VoiceCommand.h"

#include <gtest/gtest.h>

#include <optional>

using namespace QEL;

TEST(VoiceCommand, PhrasesRoundTrip)
{
    EXPECT_EQ(rawValue(VoiceCommand::exclamationMark), "exclamation mark");
    EXPECT_EQ(voiceCommand("semicolon"), VoiceCommand::semicolon);
    EXPECT_EQ(voiceCommand("Semicolon"), std::nullopt);
}

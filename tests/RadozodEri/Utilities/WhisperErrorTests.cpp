#include "RadozodEri/Utilities/WhisperError.h"

#include "Support/LogCapture.h"

#include <gtest/gtest.h>

using namespace RadozodEri;

TEST(WhisperError, EqualOnlyWithTheSameCaseAndMessage)
{
    EXPECT_EQ(WhisperError::loadAudioFailed("x"), WhisperError::loadAudioFailed("x"));
    EXPECT_FALSE(WhisperError::loadAudioFailed("x") == WhisperError::loadAudioFailed("y"));
    EXPECT_FALSE(WhisperError::loadAudioFailed("x") == WhisperError::decodingFailed("x"));
}

TEST(WhisperError, EveryDescriptionReadIsLogged)
{
    const WhisperError error = WhisperError::transcriptionFailed("Audio samples are nil");
    TestSupport::LogCapture log(RuntimeCore::LogLevel::error);
    EXPECT_EQ(error.errorDescription(), "Audio samples are nil");
    EXPECT_EQ(error.errorDescription(), "Audio samples are nil");
    EXPECT_STREQ(error.what(), "Audio samples are nil");
    EXPECT_EQ(log.lines, (std::vector<std::string>(2, "Audio samples are nil")));
}

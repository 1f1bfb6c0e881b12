#include "Platform/Audio/RecordingStream.h"

#include "Support/SoundServer.h"
#include "Support/TestEnvironment.h"
#include "Support/Waiting.h"

#include <gtest/gtest.h>

using namespace Platform::Audio;

TEST(RecordingStream, AStreamThatNeverStartedLeavesNothingBehindOnTheServer)
{
    TestSupport::PrivateSoundServer server({{.name = "mic"}});
    TestSupport::ScopedEnvironment pulse("PULSE_SERVER", server.address());
    const SoundServerConnection connection("tests");
    const auto recordings = [&] { return server.pactl("list short source-outputs"); };
    {
        const RecordingStream stream(connection, 16000, {});
        EXPECT_NE(recordings(), "");
    }
    EXPECT_TRUE(TestSupport::waitUntil([&] { return recordings().empty(); }));
}

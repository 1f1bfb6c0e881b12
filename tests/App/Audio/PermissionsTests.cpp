#include "App/Audio/Permissions.h"

#include "Support/CoreApplication.h"
#include "Support/DesktopTest.h"
#include "Support/SoundServer.h"
#include "Support/TestEnvironment.h"
#include "Support/Waiting.h"

#include <gtest/gtest.h>

#include <thread>

using QEL::Permissions::microphoneRefusal;
using TestSupport::ScopedEnvironment;

namespace {

constexpr const char* noServer = "unix:/nonexistent/qel-sound-server";

using DesktopMicrophoneAccess = TestSupport::DesktopTest;

} // namespace

TEST_F(DesktopMicrophoneAccess, IsGrantedWhenTheServerOffersAMicrophone)
{
    EXPECT_EQ(microphoneRefusal(), std::nullopt);
}

TEST(MicrophoneAccess, IsRefusedWithoutAServerOrWithoutAMicrophone)
{
    TestSupport::PrivateSoundServer onlyAMonitor({});
    for (const std::string& address : {std::string(noServer), onlyAMonitor.address()}) {
        SCOPED_TRACE(address);
        ScopedEnvironment pulse("PULSE_SERVER", address);
        EXPECT_EQ(microphoneRefusal(), "Microphone access is required for dictation");
    }
}

TEST(MicrophoneAccess, TheRequestReturnsAtOnceAndTellsOfARefusalOnTheMainThread)
{
    TestSupport::ensureCoreApplication();
    ScopedEnvironment pulse("PULSE_SERVER", noServer);
    std::optional<std::string> shown;
    bool onMainThread = false;
    QEL::Permissions::requestMicrophoneAccess([&, main = std::this_thread::get_id()](const std::string& message) {
        shown = message;
        onMainThread = std::this_thread::get_id() == main;
    });
    EXPECT_FALSE(shown) << "the answer came before the event loop turned";
    ASSERT_TRUE(TestSupport::waitUntil([&] { return shown.has_value(); }));
    EXPECT_EQ(*shown, "Microphone access is required for dictation");
    EXPECT_TRUE(onMainThread);
}

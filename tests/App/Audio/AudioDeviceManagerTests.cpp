#include "App/Audio/AudioDeviceManager.h"

#include "App/Doubles/DebugLogFile.h"
#include "Support/CoreApplication.h"
#include "Support/DesktopTest.h"
#include "Support/Shell.h"
#include "Support/SoundServer.h"
#include "Support/TestEnvironment.h"
#include "Support/Waiting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <map>
#include <sstream>

using QEL::AudioDeviceManager;
using Device = QEL::AudioDeviceManager::AudioInputDevice;
using TestSupport::PrivateSoundServer;
using TestSupport::ScopedEnvironment;
using TestSupport::waitUntil;

namespace {

// The server's index of each of its sources, by name, from pactl's short list.
std::map<std::string, std::uint32_t> sourceIndices()
{
    std::istringstream lines(TestSupport::runShellCommand("pactl list short sources"));
    std::map<std::string, std::uint32_t> indices;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::uint32_t index = 0;
        std::string name;
        fields >> index >> name;
        indices[name] = index;
    }
    return indices;
}

std::optional<Device> deviceWithChannels(const AudioDeviceManager& manager, int channels)
{
    const auto& devices = manager.availableDevices();
    const auto found = std::find_if(devices.begin(), devices.end(),
                                    [&](const Device& device) { return device.channelCount == channels; });
    return found == devices.end() ? std::nullopt : std::optional(*found);
}

class AudioDevices : public testing::Test {
protected:
    static void SetUpTestSuite() { TestSupport::ensureCoreApplication(); }

    QEL::Testing::DebugLogFile log;
};

class DesktopAudioDevices : public TestSupport::DesktopTest {
protected:
    static void SetUpTestSuite() { TestSupport::ensureCoreApplication(); }

    void TearDown() override
    {
        // The desktop's other tests speak into the pipe microphone.
        TestSupport::runShellCommand("pactl set-default-source fifo_mic");
        DesktopTest::TearDown();
    }

    QEL::Testing::DebugLogFile log;
};

} // namespace

TEST_F(DesktopAudioDevices, ListsTheMicrophonesWithoutMonitorsAndMarksTheDefault)
{
    AudioDeviceManager manager;
    ASSERT_TRUE(waitUntil([&] { return manager.isDeviceActive(); }));

    auto indices = sourceIndices();
    ASSERT_EQ(indices.size(), 4u) << "the desktop offers two microphones and two monitors";
    const auto& devices = manager.availableDevices();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].id, indices["fifo_mic"]);
    EXPECT_TRUE(devices[0].isDefault);
    EXPECT_EQ(devices[1].id, indices["virtmic"]);
    EXPECT_FALSE(devices[1].isDefault);
    for (const Device& device : devices) {
        EXPECT_EQ(device.channelCount, 1);
        EXPECT_FALSE(device.name.empty());
    }
    EXPECT_EQ(manager.selectedDevice(), devices[0]);
    EXPECT_EQ(log.messages(), (std::vector<std::string>{"Audio devices: " + devices[0].name + ", " + devices[1].name,
                                                        "Selected device: " + devices[0].name}));
}

TEST_F(DesktopAudioDevices, ChoosingADeviceMakesItTheServersDefault)
{
    AudioDeviceManager manager;
    ASSERT_TRUE(waitUntil([&] { return manager.availableDevices().size() == 2; }));
    const Device virtmic = manager.availableDevices()[1];
    int changes = 0;
    manager.setOnChange([&] { ++changes; });

    manager.selectDevice(virtmic);
    EXPECT_EQ(manager.selectedDevice(), virtmic);
    EXPECT_EQ(TestSupport::runShellCommand("pactl get-default-source"), "virtmic\n");
    // The server tells of its new default; the list marks it and keeps the choice.
    ASSERT_TRUE(waitUntil([&] { return manager.availableDevices()[1].isDefault; }));
    EXPECT_FALSE(manager.availableDevices()[0].isDefault);
    EXPECT_EQ(manager.selectedDevice(), virtmic);
    EXPECT_GE(changes, 2);
    const std::vector<std::string> messages = log.messages();
    EXPECT_NE(std::find(messages.begin(), messages.end(), "Switched to device: " + virtmic.name), messages.end());
    EXPECT_NE(std::find(messages.begin(), messages.end(), "Audio device change detected!"), messages.end());
}

TEST_F(AudioDevices, RemovingTheChosenMicrophoneFallsBackToTheServersNewDefault)
{
    PrivateSoundServer server({{.name = "mono"}, {.name = "stereo", .rate = 48000, .channels = 2}});
    ScopedEnvironment pulse("PULSE_SERVER", server.address());
    AudioDeviceManager manager;
    ASSERT_TRUE(waitUntil([&] { return manager.availableDevices().size() == 2; }));
    const std::optional<Device> mono = deviceWithChannels(manager, 1);
    const std::optional<Device> stereo = deviceWithChannels(manager, 2);
    ASSERT_TRUE(mono && stereo);
    manager.selectDevice(*stereo);
    ASSERT_TRUE(waitUntil([&] { return deviceWithChannels(manager, 2)->isDefault; }));
    int changes = 0;
    manager.setOnChange([&] { ++changes; });

    server.removeSource("stereo");
    ASSERT_TRUE(waitUntil([&] { return manager.availableDevices().size() == 1; }));
    EXPECT_GE(changes, 1);
    EXPECT_EQ(manager.availableDevices()[0], *mono);
    ASSERT_TRUE(waitUntil([&] { return manager.availableDevices()[0].isDefault; }));
    EXPECT_EQ(manager.selectedDevice(), mono);
    EXPECT_TRUE(manager.isDeviceActive());
}

TEST_F(AudioDevices, WithoutASoundServerNothingIsListedOrSelectedUntilItComesBack)
{
    PrivateSoundServer server({{.name = "mic"}});
    ScopedEnvironment pulse("PULSE_SERVER", server.address());
    AudioDeviceManager manager;
    ASSERT_TRUE(waitUntil([&] { return manager.isDeviceActive(); }));

    server.signal(SIGKILL);
    ASSERT_TRUE(waitUntil([&] { return manager.availableDevices().empty(); }));
    EXPECT_FALSE(manager.selectedDevice());
    EXPECT_FALSE(manager.isDeviceActive());
    const std::vector<std::string> messages = log.messages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[messages.size() - 2], "Audio devices: ");
    EXPECT_EQ(messages.back(), "Selected device: none");

    // The list follows the server back, as often as it comes and goes.
    for (int comeback = 0; comeback < 2; ++comeback) {
        SCOPED_TRACE(comeback);
        server.restart();
        ASSERT_TRUE(waitUntil([&] { return manager.isDeviceActive(); }));
        EXPECT_EQ(manager.availableDevices().size(), 1u);
        EXPECT_TRUE(manager.selectedDevice()->isDefault);
        server.signal(SIGKILL);
        ASSERT_TRUE(waitUntil([&] { return !manager.isDeviceActive(); }));
    }
}

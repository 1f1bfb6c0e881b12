#include "Hub/Api/HubApi.h"
#include "Hub/Offline/InterfacePathSource.h"
#include "Hub/Offline/NetworkMonitor.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using namespace Hub;
using TestSupport::ScopedEnvironment;
using TestSupport::TemporaryFolder;

namespace {

// Paths handed over by the test, to whoever subscribes.
class ScriptedPathSource final : public NetworkPathSource {
public:
    std::uint64_t subscribe(Handler handler) override
    {
        handlers[next] = std::move(handler);
        return next++;
    }
    void unsubscribe(std::uint64_t subscription) override { handlers.erase(subscription); }
    void report(const NetworkPath& path)
    {
        for (auto& [subscription, handler] : handlers)
            handler(path);
    }

    std::map<std::uint64_t, Handler> handlers;
    std::uint64_t next = 1;
};

size_t threadCount()
{
    return static_cast<size_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/task"), std::filesystem::directory_iterator()));
}

} // namespace

TEST(NetworkMonitor, DecidesOfflineOnlyWhenThePathIsDownAndTheSwitchIsNotExactlyOne)
{
    ScopedEnvironment unset{"CI_DISABLE_NETWORK_MONITOR", std::nullopt};
    const auto source = std::make_shared<ScriptedPathSource>();
    NetworkMonitor monitor(source);
    EXPECT_FALSE(monitor.state().shouldUseOfflineMode());

    source->report({.satisfied = true, .expensive = true, .constrained = true});
    EXPECT_FALSE(monitor.state().shouldUseOfflineMode());
    EXPECT_TRUE(monitor.state().isExpensive());
    source->report({.satisfied = false});
    EXPECT_TRUE(monitor.state().shouldUseOfflineMode());

    const std::pair<const char*, bool> switches[] = {
        {"1", false}, {" 1", true}, {"1 ", true}, {"true", true}, {"", true}};
    for (const auto& [value, offline] : switches) {
        ScopedEnvironment disabled{"CI_DISABLE_NETWORK_MONITOR", value};
        EXPECT_EQ(monitor.state().shouldUseOfflineMode(), offline) << '"' << value << '"';
    }
}

TEST(NetworkMonitor, LetsGoOfItsSourceWhenReleased)
{
    const auto source = std::make_shared<ScriptedPathSource>();
    {
        NetworkMonitor monitor(source);
        monitor.startMonitoring();
        EXPECT_EQ(source->handlers.size(), 1u);
    }
    EXPECT_TRUE(source->handlers.empty());
}

TEST(NetworkMonitor, TheClientsSettingOverridesThePath)
{
    TemporaryFolder folder;
    ScopedEnvironment unset{"CI_DISABLE_NETWORK_MONITOR", std::nullopt};
    NetworkStateActor& shared = NetworkMonitor::shared().state();
    const NetworkPath before{.satisfied = shared.isConnected()};
    for (const bool connected : {false, true}) {
        shared.update({.satisfied = connected});
        EXPECT_EQ(HubApi(folder.path()).worksOffline(), !connected);
        EXPECT_FALSE(HubApi(folder.path(), std::nullopt, std::nullopt, false, false).worksOffline());
        EXPECT_TRUE(HubApi(folder.path(), std::nullopt, std::nullopt, false, true).worksOffline());
    }
    shared.update(before);
}

TEST(NetworkMonitor, ReleasedClientsLeaveNoThreadBehind)
{
    TemporaryFolder folder;
    const HubApi first(folder.path()); // starts the process's monitor
    const size_t running = threadCount();
    for (int round = 0; round < 3; ++round) {
        HubApi client(folder.path());
        HubApi copy = client;
    }
    EXPECT_EQ(threadCount(), running);

    auto source = std::make_shared<InterfacePathSource>();
    NetworkPath reported{.satisfied = !InterfacePathSource::currentPath().satisfied};
    const std::uint64_t subscription = source->subscribe([&](const NetworkPath& path) { reported = path; });
    EXPECT_EQ(reported, InterfacePathSource::currentPath());
    EXPECT_EQ(threadCount(), running + 1);
    source->unsubscribe(subscription);
    EXPECT_EQ(threadCount(), running);
}

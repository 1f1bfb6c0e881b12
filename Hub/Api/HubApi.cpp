#include "Hub/Api/HubApi.h"

#include "Hub/Api/DefaultEndpoint.h"
#include "Hub/Api/TokenDiscovery.h"
#include "Hub/Config/YYJSONParser.h"
#include "Hub/HubClientError.h"
#include "Platform/Files/ReadFile.h"
#include "Platform/Paths/StandardPaths.h"

#include <cstdlib>
#include <iostream>
#include <string_view>

namespace Hub {

namespace {

bool networkMonitorDisabled()
{
    const char* disabled = std::getenv("CI_DISABLE_NETWORK_MONITOR");
    return disabled && std::string_view(disabled) == "1";
}

} // namespace

HubApi::HubApi(std::optional<std::filesystem::path> downloadBase, std::optional<std::string> hubToken,
               std::optional<std::string> endpoint, bool useBackgroundSession, std::optional<bool> useOfflineMode)
    : hubToken(hubToken ? usableToken(std::move(*hubToken), "the caller") : discoverHubToken()),
      useBackgroundSession(useBackgroundSession), useOfflineMode(useOfflineMode),
      networkMonitor(std::make_shared<NetworkMonitor>())
{
    if (networkMonitorDisabled())
        std::cout << (this->hubToken ? "✅ got token\n" : "🔴 NO TOKEN **\n") << std::flush;
    this->downloadBase = downloadBase ? std::move(*downloadBase) : Platform::documentsDirectory() / "modelhub";
    if (endpoint)
        this->endpoint = std::move(*endpoint);
    else if (const char* fromEnvironment = std::getenv("HUB_ENDPOINT"))
        this->endpoint = fromEnvironment;
    else
        this->endpoint = defaultEndpoint;
    NetworkMonitor::shared().startMonitoring();
}

HubApi HubApi::shared()
{
    static const HubApi value;
    return value;
}

RedirectSessionActor& HubApi::redirectSession()
{
    static RedirectSessionActor actor;
    return actor;
}

bool HubApi::worksOffline() const
{
    return useOfflineMode ? *useOfflineMode : NetworkMonitor::shared().state().shouldUseOfflineMode();
}

Config HubApi::configuration(const std::filesystem::path& fileURL) const
{
    const std::string data = Platform::readFile(fileURL);
    try {
        return YYJSONParser::parseToConfig(data);
    } catch (const YYJSONParser::ParseError& error) {
        throw HubClientError::jsonSerialization(fileURL, "JSON parsing failed for " + fileURL.string() + ": " +
                                                             error.what() +
                                                             ". If this is a private model, verify that HUB_TOKEN "
                                                             "is set.");
    }
}

} // namespace Hub

#include "Hub/Api/HubApi.h"

#include "Hub/Config/ConfigObjectTree.h"
#include "Hub/HubClientError.h"
#include "Platform/JSON/JSONDocument.h"

namespace Hub {

Config HubApi::whoami() const
{
    if (!hubToken)
        throw HubClientError::authorizationRequired();
    const Platform::HTTPResponse response =
        httpGet(endpointURL().appendingPath("api").appendingPath("whoami-v2").string());
    const rapidjson::Document answer = Platform::JSON::parseDocument(response.body);
    if (!answer.IsObject())
        throw HubClientError::parse();
    return configFromObjectTree(answer);
}

} // namespace Hub

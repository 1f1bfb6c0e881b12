#include "Hub/Api/ResolveURL.h"

#include "Hub/HubClientError.h"

namespace Hub {

Platform::URL endpointURL(std::string_view endpoint)
{
    auto url = Platform::URL::parse(endpoint);
    if (!url)
        throw HubClientError::parseError("The hub endpoint \"" + std::string(endpoint) + "\" is no absolute URL");
    return *url;
}

Platform::URL resolveURL(std::string_view endpoint, const Repo& repo, const std::string& revision)
{
    Platform::URL url = endpointURL(endpoint);
    if (repo.type != RepoType::models)
        url = url.appendingPath(repoTypeNames.name(repo.type));
    return url.appendingPath(repo.id).appendingPath("resolve").appendingPathComponent(revision);
}

} // namespace Hub

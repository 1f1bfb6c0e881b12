#include "Hub/Api/HubApi.h"

#include "Hub/Api/ResolveURL.h"
#include "Platform/JSON/JSONDocument.h"
#include "RuntimeCore/Extensions/FoundationExtensions.h"

#include <unordered_set>

namespace Hub {

Platform::URL HubApi::endpointURL() const
{
    return Hub::endpointURL(endpoint);
}

std::vector<std::string> HubApi::getFilenames(const Repo& repo, const std::string& revision,
                                              const std::vector<std::string>& globs) const
{
    const Platform::URL url = endpointURL()
                                  .appendingPath("api")
                                  .appendingPath(repoTypeNames.name(repo.type))
                                  .appendingPath(repo.id)
                                  .appendingPath("revision")
                                  .appendingPathComponent(revision);
    const Platform::HTTPResponse response = httpGet(url.string());
    const auto listing = Platform::JSON::decode<SiblingsResponse>(Platform::JSON::parseDocument(response.body));
    std::vector<std::string> names;
    names.reserve(listing.siblings.size());
    for (const Sibling& sibling : listing.siblings)
        names.push_back(sibling.rfilename);
    if (globs.empty())
        return names;
    std::vector<std::string> matched;
    std::unordered_set<std::string> seen;
    for (const std::string& glob : globs)
        for (std::string& name : RuntimeCore::matching(names, glob))
            if (seen.insert(name).second)
                matched.push_back(std::move(name));
    return matched;
}

std::vector<std::string> HubApi::getFilenames(const std::string& repoId, const std::vector<std::string>& globs) const
{
    return getFilenames(Repo{repoId}, "main", globs);
}

std::vector<std::string> HubApi::getFilenames(const Repo& repo, const std::string& glob) const
{
    return getFilenames(repo, "main", std::vector{glob});
}

std::vector<std::string> HubApi::getFilenames(const std::string& repoId, const std::string& glob) const
{
    return getFilenames(Repo{repoId}, "main", std::vector{glob});
}

} // namespace Hub

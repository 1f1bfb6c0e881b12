#include "Hub/Api/HubApi.h"

#include "Hub/Api/ResolveURL.h"

namespace Hub {

FileMetadata HubApi::getFileMetadata(const std::string& url) const
{
    return fileMetadataFromResponse(httpHead(url), url, endpoint);
}

std::vector<FileMetadata> HubApi::getFileMetadata(const Repo& repo, const std::string& revision,
                                                  const std::vector<std::string>& globs) const
{
    const std::vector<std::string> names = getFilenames(repo, revision, globs);
    if (names.empty())
        return {};
    const Platform::URL repoURL = resolveURL(endpoint, repo, revision);
    std::vector<FileMetadata> metadata;
    metadata.reserve(names.size());
    for (const std::string& name : names)
        metadata.push_back(getFileMetadata(repoURL.appendingPath(name).string()));
    return metadata;
}

std::vector<FileMetadata> HubApi::getFileMetadata(const std::string& repoId, const std::string& revision,
                                                  const std::vector<std::string>& globs) const
{
    return getFileMetadata(Repo{repoId}, revision, globs);
}

std::vector<FileMetadata> HubApi::getFileMetadata(const Repo& repo, const std::string& revision,
                                                  const std::string& glob) const
{
    return getFileMetadata(repo, revision, std::vector{glob});
}

std::vector<FileMetadata> HubApi::getFileMetadata(const std::string& repoId, const std::string& revision,
                                                  const std::string& glob) const
{
    return getFileMetadata(Repo{repoId}, revision, std::vector{glob});
}

} // namespace Hub

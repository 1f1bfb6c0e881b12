#pragma once

// The hub client's settings: where the local cache lives, which token it
// sends, which hub it talks to and whether it works offline; and the requests
// that everything else of the client builds on.

#include "Hub/Api/EnvironmentError.h"
#include "Hub/Api/FileMetadata.h"
#include "Hub/Api/RedirectSession.h"
#include "Hub/Api/SiblingsResponse.h"
#include "Hub/Config/Config.h"
#include "Hub/Offline/NetworkMonitor.h"
#include "Hub/Repo.h"
#include "Platform/Net/HTTPSession.h"
#include "Platform/Net/URL.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Hub {

class HubApi {
public:
    using EnvironmentError = Hub::EnvironmentError;
    using FileMetadata = Hub::FileMetadata;
    using NetworkMonitor = Hub::NetworkMonitor;
    using NetworkStateActor = Hub::NetworkStateActor;
    using Sibling = Hub::Sibling;
    using SiblingsResponse = Hub::SiblingsResponse;

    // Without a download base the cache lies in the documents folder under
    // "modelhub"; without a token one is looked for (discoverHubToken); without
    // an endpoint HUB_ENDPOINT names it, else defaultEndpoint. Never fails.
    explicit HubApi(std::optional<std::filesystem::path> downloadBase = std::nullopt,
                    std::optional<std::string> hubToken = std::nullopt,
                    std::optional<std::string> endpoint = std::nullopt, bool useBackgroundSession = false,
                    std::optional<bool> useOfflineMode = std::nullopt);

    // A copy of the process's client, made with every setting left out.
    static HubApi shared();
    // The one holder of the session HEAD requests go through.
    static RedirectSessionActor& redirectSession();

    std::filesystem::path downloadBase;
    // Sent as a bearer token when present and not empty.
    std::optional<std::string> hubToken;
    std::string endpoint;
    bool useBackgroundSession = false;
    // True forces the cache alone, false the network; none leaves it to the
    // network state.
    std::optional<bool> useOfflineMode;
    // The client's own monitor, shared by its copies.
    std::shared_ptr<NetworkMonitor> networkMonitor;
    std::string sha256Pattern = "^[0-9a-f]{64}$";
    std::string commitHashPattern = "^[0-9a-f]{40}$";

    // Whether work must be served from the cache alone: the setting, else the
    // process monitor's decision.
    bool worksOffline() const;

    // A local JSON file as a configuration value. A file that cannot be read
    // throws Platform::FileReadError; one that is no JSON HubClientError's
    // jsonSerialization.
    Config configuration(const std::filesystem::path& fileURL) const;

    // GET, accepting statuses 200 to 299: 401 and 403 throw
    // authorizationRequired, 404 fileNotFound with the last path component,
    // others httpStatusCode; a failed transfer throws downloadError.
    Platform::HTTPResponse httpGet(const std::string& url) const;
    // HEAD through the redirect session, accepting statuses 200 to 399 with the
    // same errors; a failed transfer throws Platform::NetworkError.
    Platform::HTTPResponse httpHead(const std::string& url) const;

    // The paths of the repository's files at the revision: all of them in the
    // hub's order without patterns, else those matching any of the shell
    // patterns, each once. Throws the errors of httpGet, and
    // Platform::JSON::DecodingError or ParseError for an answer of another shape.
    std::vector<std::string> getFilenames(const Repo& repo, const std::string& revision,
                                          const std::vector<std::string>& globs) const;
    // A model repository by id, and one pattern, at "main".
    std::vector<std::string> getFilenames(const std::string& repoId, const std::vector<std::string>& globs) const;
    std::vector<std::string> getFilenames(const Repo& repo, const std::string& glob) const;
    std::vector<std::string> getFilenames(const std::string& repoId, const std::string& glob) const;

    // The metadata of the file at a resolve URL, from one HEAD request.
    FileMetadata getFileMetadata(const std::string& url) const;
    // The metadata of every listed file matching the patterns, in the listing's
    // order, asked one after another. No match sends no HEAD request.
    std::vector<FileMetadata> getFileMetadata(const Repo& repo, const std::string& revision,
                                              const std::vector<std::string>& globs) const;
    std::vector<FileMetadata> getFileMetadata(const std::string& repoId, const std::string& revision,
                                              const std::vector<std::string>& globs) const;
    std::vector<FileMetadata> getFileMetadata(const Repo& repo, const std::string& revision,
                                              const std::string& glob) const;
    std::vector<FileMetadata> getFileMetadata(const std::string& repoId, const std::string& revision,
                                              const std::string& glob) const;

private:
    Platform::HTTPRequest request(const std::string& url, std::string method) const;
    // The endpoint as a URL; an endpoint that is no absolute URL throws
    // HubClientError's parseError naming it.
    Platform::URL endpointURL() const;
};

} // namespace Hub

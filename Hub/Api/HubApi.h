#pragma once

// The hub client's settings: where the local cache lives, which token it
// sends, which hub it talks to and whether it works offline; and the requests
// that everything else of the client builds on.

#include "Hub/Api/EnvironmentError.h"
#include "Hub/Api/FileMetadata.h"
#include "Hub/Api/RedirectSession.h"
#include "Hub/Api/SiblingsResponse.h"
#include "Hub/Cache/LocalDownloadFileMetadata.h"
#include "Hub/Config/Config.h"
#include "Hub/Offline/NetworkMonitor.h"
#include "Hub/Repo.h"
#include "Platform/Net/HTTPSession.h"
#include "Platform/Net/URL.h"
#include "Platform/Progress/Progress.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace Hub {

class HubApi {
public:
    using EnvironmentError = Hub::EnvironmentError;
    using FileMetadata = Hub::FileMetadata;
    using LocalDownloadFileMetadata = Hub::LocalDownloadFileMetadata;
    using NetworkMonitor = Hub::NetworkMonitor;
    using NetworkStateActor = Hub::NetworkStateActor;
    using Sibling = Hub::Sibling;
    using SiblingsResponse = Hub::SiblingsResponse;
    struct HubFileDownloader;
    // Receives the overall progress of a snapshot, and in the second form the
    // transfer speed in bytes per second once one was reported.
    using ProgressHandler = std::function<void(const Platform::Progress&)>;
    using SpeedProgressHandler = std::function<void(const Platform::Progress&, std::optional<double>)>;

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
    // A JSON file of the cached repository, by its path inside it.
    Config configuration(const std::string& filename, const Repo& repo) const;

    // downloadBase / kind / id; nothing is created.
    std::filesystem::path localRepoLocation(const Repo& repo) const;

    // The record at the path: none without one, and none for one that cannot be
    // read or parsed, which is logged and deleted (the cache never repairs a
    // record); a record that cannot be deleted throws invalidMetadataError.
    static std::optional<LocalDownloadFileMetadata> readDownloadMetadata(const std::filesystem::path& metadataPath);
    // A record of the commit, the etag and the current time, replacing the old
    // one whole; throws fileWriteError.
    static void writeDownloadMetadata(const std::string& commitHash, const std::string& etag,
                                      const std::filesystem::path& metadataPath);
    // Whether the pattern finds a match in the hash; false for a pattern that
    // does not compile.
    static bool isValidHash(const std::string& hash, const std::string& pattern);
    // The SHA-256 of the file as 64 lower-case hexadecimal digits. A file that
    // cannot be opened throws fileNotFound with its name; a failing read throws
    // Platform::FileReadError.
    static std::string computeFileHash(const std::filesystem::path& file);

    // Brings the repository's files matching the patterns at the revision into
    // the cache, one after another, and returns the repository's folder.
    // Offline, nothing is fetched: the cached copy is checked instead (every
    // file has a record, and a SHA-256 etag still matches the content). A stop
    // request ends the snapshot with Platform::TransferCancelled; finished files
    // stay.
    std::filesystem::path snapshot(const Repo& repo, const std::string& revision, const std::vector<std::string>& globs,
                                   const ProgressHandler& progressHandler = {}, std::stop_token stop = {}) const;
    std::filesystem::path snapshot(const Repo& repo, const std::string& revision, const std::vector<std::string>& globs,
                                   const SpeedProgressHandler& progressHandler, std::stop_token stop = {}) const;
    std::filesystem::path snapshot(const std::string& repoId, const std::string& revision,
                                   const std::vector<std::string>& globs, const ProgressHandler& progressHandler = {},
                                   std::stop_token stop = {}) const;
    std::filesystem::path snapshot(const Repo& repo, const std::string& revision, const std::string& glob,
                                   const ProgressHandler& progressHandler = {}, std::stop_token stop = {}) const;
    std::filesystem::path snapshot(const std::string& repoId, const std::string& revision, const std::string& glob,
                                   const ProgressHandler& progressHandler = {}, std::stop_token stop = {}) const;
    std::filesystem::path snapshot(const std::string& repoId, const std::string& revision,
                                   const std::vector<std::string>& globs, const SpeedProgressHandler& progressHandler,
                                   std::stop_token stop = {}) const;
    std::filesystem::path snapshot(const Repo& repo, const std::string& revision, const std::string& glob,
                                   const SpeedProgressHandler& progressHandler, std::stop_token stop = {}) const;
    std::filesystem::path snapshot(const std::string& repoId, const std::string& revision, const std::string& glob,
                                   const SpeedProgressHandler& progressHandler, std::stop_token stop = {}) const;

    // The hub's description of the token's account. Without a token (an empty
    // one is a token) it throws authorizationRequired before any request; an
    // answer that is no JSON object throws parse.
    Config whoami() const;

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
    std::filesystem::path offlineSnapshot(const std::filesystem::path& repoDestination,
                                          const std::filesystem::path& metadataDestination) const;

    Platform::HTTPRequest request(const std::string& url, std::string method) const;
    // The endpoint as a URL; an endpoint that is no absolute URL throws
    // HubClientError's parseError naming it.
    Platform::URL endpointURL() const;
};

} // namespace Hub

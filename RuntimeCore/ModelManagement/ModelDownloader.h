#pragma once

#include "Hub/Api/HubApi.h"
#include "RuntimeCore/ModelManagement/ModelDownloadConfig.h"
#include "RuntimeCore/ModelManagement/ModelDownloaderError.h"
#include "RuntimeCore/ModelManagement/ModelInfo.h"
#include "RuntimeCore/Models/ModelState.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace RuntimeCore {

// Finds a speech engine's model files: in a local model folder, in the hub
// cache of the configured repository, or by downloading them into that cache.
// It keeps no state beyond its configuration, so its operations may run
// concurrently; each makes a hub client of its own. Operations block while the
// hub client works. Hub errors pass through unchanged unless said otherwise.
class ModelDownloader {
public:
    using ModelStateCallback = std::function<void(ModelState)>;
    using ProgressCallback = Hub::HubApi::ProgressHandler;

    explicit ModelDownloader(ModelDownloadConfig config);
    // No download base and no model folder.
    ModelDownloader(std::string endpoint, std::string repoName, std::optional<std::string> modelToken,
                    std::string revision, bool useBackgroundSession);
    virtual ~ModelDownloader() = default;

    const ModelDownloadConfig& config() const { return config_; }

    // Brings the model's files into the cache and returns the repository's cache
    // folder. Offline mode (exactly true) first asks the hub which files match
    // and fails with modelUnavailable when none does, then checks the cached
    // copy instead of fetching.
    virtual std::filesystem::path downloadModel(const ModelInfo& modelInfo,
                                                const std::optional<std::filesystem::path>& downloadBase,
                                                std::optional<bool> useOfflineMode) const;

    // The repository's cache folder; nothing on disk is touched.
    virtual std::filesystem::path localRepoLocation(const std::optional<std::filesystem::path>& downloadBase) const;

    // The model called `name` (a compiled model's name without its extension)
    // from the model folder, else from the cache as it is, else, when
    // `download` allows, after downloading it. The callback hears `downloaded`
    // for a cached model and `downloading`, `downloaded` for a fetched one.
    virtual std::filesystem::path resolveModel(const std::string& name, const ModelInfo& modelInfo,
                                               const std::optional<std::filesystem::path>& modelFolder,
                                               const std::optional<std::filesystem::path>& downloadBase, bool download,
                                               const ModelStateCallback& modelStateCallback = {}) const;
    // The same, as a file-system path.
    virtual std::string resolveModelPath(const std::string& name, const ModelInfo& modelInfo,
                                         const std::optional<std::filesystem::path>& modelFolder,
                                         const std::optional<std::filesystem::path>& downloadBase, bool download,
                                         const ModelStateCallback& modelStateCallback = {}) const;

    // The cache folder once every pattern's leading folders hold something
    // there, downloading the matching files when they do not and `download`
    // allows.
    virtual std::filesystem::path resolveRepo(const std::vector<std::string>& patterns,
                                              const std::optional<std::filesystem::path>& downloadBase, bool download,
                                              const ProgressCallback& progressCallback = {}) const;

    // The repository's files matching any of the patterns (all without any), in
    // no particular order.
    virtual std::vector<std::string> fetchFilenames(const std::vector<std::string>& patterns,
                                                    const std::optional<std::filesystem::path>& downloadBase) const;

    // The model's location in the folder (a compiled model before a package)
    // when something is there.
    virtual std::optional<std::filesystem::path> modelURLIfExists(const std::filesystem::path& folder,
                                                                  const std::string& name) const;

private:
    std::optional<std::filesystem::path> baseFolder(const std::optional<std::filesystem::path>& downloadBase) const;
    Hub::HubApi hubClient(const std::optional<std::filesystem::path>& base, std::optional<bool> useOfflineMode) const;
    Hub::Repo repo() const;
    // The repository's cache folder when the cached copy passes the hub
    // client's offline check; none otherwise. Asks nothing of the network, so
    // a cached model is found without a connection.
    std::optional<std::filesystem::path> verifiedCache(const ModelInfo& modelInfo,
                                                       const std::optional<std::filesystem::path>& base) const;
    static bool patternExistsLocally(const std::string& pattern, const std::filesystem::path& cacheFolder);

    ModelDownloadConfig config_;
};

} // namespace RuntimeCore

#include "RuntimeCore/ModelManagement/ModelDownloader.h"

#include "RuntimeCore/Logging/Logging.h"
#include "RuntimeCore/Models/ModelUtilities.h"

#include <system_error>

namespace RuntimeCore {

namespace fs = std::filesystem;

namespace {

std::string describe(const Hub::Repo& repo)
{
    return "Repo(id: " + repo.id + ", type: " + std::string(Hub::repoTypeNames.name(repo.type)) + ")";
}

} // namespace

ModelDownloader::ModelDownloader(ModelDownloadConfig config) : config_(std::move(config)) {}

ModelDownloader::ModelDownloader(std::string endpoint, std::string repoName, std::optional<std::string> modelToken,
                                 std::string revision, bool useBackgroundSession)
    : ModelDownloader(ModelDownloadConfig{.downloadBase = std::nullopt,
                                          .modelRepo = std::move(repoName),
                                          .modelToken = std::move(modelToken),
                                          .modelFolder = std::nullopt,
                                          .useBackgroundSession = useBackgroundSession,
                                          .endpoint = std::move(endpoint),
                                          .revision = std::move(revision)})
{
}

std::optional<fs::path> ModelDownloader::baseFolder(const std::optional<fs::path>& downloadBase) const
{
    if (downloadBase)
        return downloadBase;
    if (config_.downloadBase)
        return fs::path(*config_.downloadBase);
    return std::nullopt;
}

Hub::HubApi ModelDownloader::hubClient(const std::optional<fs::path>& base, std::optional<bool> useOfflineMode) const
{
    return Hub::HubApi(base, config_.modelToken, config_.endpoint, config_.useBackgroundSession, useOfflineMode);
}

Hub::Repo ModelDownloader::repo() const
{
    return Hub::Repo{config_.modelRepo, Hub::RepoType::models};
}

fs::path ModelDownloader::downloadModel(const ModelInfo& modelInfo, const std::optional<fs::path>& downloadBase,
                                        std::optional<bool> useOfflineMode) const
{
    const std::string pattern = modelInfo.downloadPattern();
    const Hub::HubApi hub = hubClient(baseFolder(downloadBase), useOfflineMode);
    const bool offline = useOfflineMode == true;
    if (offline) {
        Logging::debug("[ModelDownloader] Searching for models matching \"" + pattern + "\" in " + describe(repo()));
        if (hub.getFilenames(repo(), config_.revision, {pattern}).empty())
            throw ModelDownloaderError::modelUnavailable("No models found matching \"" + pattern + "\" in " +
                                                         config_.modelRepo);
    }
    Logging::debug("[ModelDownloader] Downloading model " + pattern +
                   " with offline mode: " + (offline ? "true" : "false"));
    return hub.snapshot(repo(), config_.revision, pattern, Hub::HubApi::ProgressHandler([](const auto&) {}));
}

fs::path ModelDownloader::localRepoLocation(const std::optional<fs::path>& downloadBase) const
{
    return hubClient(baseFolder(downloadBase), std::nullopt).localRepoLocation(repo());
}

std::optional<fs::path> ModelDownloader::verifiedCache(const ModelInfo& modelInfo,
                                                       const std::optional<fs::path>& base) const
{
    try {
        return hubClient(base, true)
            .snapshot(repo(), config_.revision, modelInfo.downloadPattern(),
                      Hub::HubApi::ProgressHandler([](const auto&) {}));
    } catch (const std::exception&) {
        // A cache that is missing or fails its check is a miss, not a failure.
        return std::nullopt;
    }
}

fs::path ModelDownloader::resolveModel(const std::string& name, const ModelInfo& modelInfo,
                                       const std::optional<fs::path>& modelFolder,
                                       const std::optional<fs::path>& downloadBase, bool download,
                                       const ModelStateCallback& modelStateCallback) const
{
    const auto report = [&](ModelState state) {
        if (modelStateCallback)
            modelStateCallback(state);
    };

    std::optional<fs::path> folder = modelFolder;
    if (!folder && config_.modelFolder)
        folder = fs::path(*config_.modelFolder);
    if (folder) {
        if (auto found = modelURLIfExists(modelInfo.modelURL(*folder), name)) {
            Logging::debug("[ModelDownloader] Found " + name + " in model folder");
            return *found;
        }
    }

    const std::optional<fs::path> base = baseFolder(downloadBase);
    if (const auto cache = verifiedCache(modelInfo, base)) {
        if (auto found = modelURLIfExists(modelInfo.modelURL(*cache), name)) {
            Logging::debug("[ModelDownloader] Found existing " + name + " in cache");
            report(ModelState::downloaded);
            return *found;
        }
    }

    if (!download)
        throw ModelDownloaderError::modelUnavailable("No model found for " + name + " (download disabled)");

    report(ModelState::downloading);
    const fs::path downloaded = downloadModel(modelInfo, base, std::nullopt);
    if (auto found = modelURLIfExists(modelInfo.modelURL(downloaded), name)) {
        Logging::debug("[ModelDownloader] Downloaded " + name);
        report(ModelState::downloaded);
        return *found;
    }
    throw ModelDownloaderError::modelUnavailable("No model found for " + name);
}

std::string ModelDownloader::resolveModelPath(const std::string& name, const ModelInfo& modelInfo,
                                              const std::optional<fs::path>& modelFolder,
                                              const std::optional<fs::path>& downloadBase, bool download,
                                              const ModelStateCallback& modelStateCallback) const
{
    return resolveModel(name, modelInfo, modelFolder, downloadBase, download, modelStateCallback).string();
}

bool ModelDownloader::patternExistsLocally(const std::string& pattern, const fs::path& cacheFolder)
{
    // Only the leading folders before the first wildcard can be looked up;
    // their being non-empty stands for the files below them.
    fs::path leading;
    for (size_t start = 0; start <= pattern.size();) {
        const size_t end = std::min(pattern.find('/', start), pattern.size());
        const std::string piece = pattern.substr(start, end - start);
        start = end + 1;
        if (piece.empty())
            continue;
        if (piece.find('*') != std::string::npos)
            break;
        leading /= piece;
    }
    if (leading.empty())
        return false;
    std::error_code error;
    const fs::directory_iterator entries(cacheFolder / leading, error);
    return !error && entries != fs::directory_iterator();
}

fs::path ModelDownloader::resolveRepo(const std::vector<std::string>& patterns,
                                      const std::optional<fs::path>& downloadBase, bool download,
                                      const ProgressCallback& progressCallback) const
{
    const std::optional<fs::path> base = baseFolder(downloadBase);
    const fs::path cacheFolder = localRepoLocation(base);
    bool allLocal = true;
    for (const std::string& pattern : patterns)
        allLocal = allLocal && patternExistsLocally(pattern, cacheFolder);
    if (allLocal) {
        Logging::debug("[ModelDownloader] All models found in local cache at " + cacheFolder.string());
        return cacheFolder;
    }
    if (!download)
        throw ModelDownloaderError::modelUnavailable("No local models found for repo '" + config_.modelRepo +
                                                     "' and download is disabled.");

    const Hub::HubApi hub = hubClient(base, std::nullopt);
    Logging::info("[ModelDownloader] Downloading " + std::to_string(patterns.size()) + " model(s) from " +
                  config_.modelRepo + "...");
    const fs::path folder =
        hub.snapshot(repo(), config_.revision, patterns,
                     progressCallback ? progressCallback : Hub::HubApi::ProgressHandler([](const auto&) {}));
    Logging::info("[ModelDownloader] Download complete: " + folder.string());
    return folder;
}

std::vector<std::string> ModelDownloader::fetchFilenames(const std::vector<std::string>& patterns,
                                                         const std::optional<fs::path>& downloadBase) const
{
    return hubClient(baseFolder(downloadBase), std::nullopt).getFilenames(repo(), config_.revision, patterns);
}

std::optional<fs::path> ModelDownloader::modelURLIfExists(const fs::path& folder, const std::string& name) const
{
    const fs::path url = ModelUtilities::detectModelURL(folder, name);
    std::error_code ignored;
    if (fs::exists(url, ignored))
        return url;
    return std::nullopt;
}

} // namespace RuntimeCore

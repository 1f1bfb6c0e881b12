// Which model suits the machine, which models a repository offers, and
// fetching one into the local hub cache.

#include "Hub/Api/HubApi.h"
#include "Platform/Files/ReadFile.h"
#include "Platform/JSON/JSONDocument.h"
#include "RadozodEri/Core/Constants.h"
#include "RadozodEri/Core/RadozodEri.h"
#include "RadozodEri/Utilities/ModelUtilities.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Extensions/FoundationExtensions.h"
#include "RuntimeCore/Extensions/ProcessInfo.h"
#include "RuntimeCore/Logging/Logging.h"

#include <cstdlib>
#include <set>

namespace RadozodEri {

namespace {

using Logging = RuntimeCore::Logging;

constexpr std::string_view defaultModelRepository = "radozod/radozoderi-coreml";
constexpr std::string_view revision = "main";

std::string inQuotes(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string describe(const Hub::Repo& repo)
{
    return "Repo(id: " + inQuotes(repo.id) + ", type: " + std::string(Hub::repoTypeNames.name(repo.type)) + ")";
}

std::string describe(const std::vector<std::string>& names)
{
    std::string text = "[";
    for (const auto& name : names)
        text += (text.size() > 1 ? ", " : "") + inQuotes(name);
    return text + "]";
}

// The distinct top-level folders of the repository paths.
std::set<std::string> topFolders(const std::vector<std::string>& paths)
{
    std::set<std::string> folders;
    for (const auto& path : paths)
        folders.insert(path.substr(0, path.find('/')));
    return folders;
}

} // namespace

std::string RadozodEri::defaultEndpoint()
{
    if (const char* fromEnvironment = std::getenv("HUB_ENDPOINT"))
        return fromEnvironment;
    return std::string(Constants::defaultRemoteEndpoint);
}

std::string RadozodEri::deviceName()
{
    return RuntimeCore::ProcessInfo::hwModel();
}

ModelSupport RadozodEri::recommendedModels()
{
    Logging::debug("Running on " + deviceName());
    return Constants::fallbackModelSupportConfig().modelSupport(deviceName());
}

ModelSupport RadozodEri::recommendedRemoteModels(const std::string& repo,
                                                 const std::optional<std::filesystem::path>& downloadBase,
                                                 const std::optional<std::string>& token,
                                                 const std::string& remoteConfigName, const std::string& endpoint)
{
    return fetchModelSupportConfig(repo, downloadBase, token, remoteConfigName, endpoint).modelSupport(deviceName());
}

ModelSupportConfig RadozodEri::fetchModelSupportConfig(const std::string& repo,
                                                       const std::optional<std::filesystem::path>& downloadBase,
                                                       const std::optional<std::string>& token,
                                                       const std::string& remoteConfigName, const std::string& endpoint)
{
    const Hub::HubApi hub(downloadBase, token, endpoint);
    Logging::debug("Searching for config file matching " + inQuotes(remoteConfigName) + " in " + repo);
    try {
        const auto files = hub.getFilenames(Hub::Repo{repo}, std::string(revision), {remoteConfigName});
        if (files.empty()) {
            Logging::info("No config files found matching " + inQuotes(remoteConfigName) + " in " + repo +
                          ", using fallback");
            return Constants::fallbackModelSupportConfig();
        }
        if (files.size() > 1)
            Logging::info("Multiple config files found (" + std::to_string(files.size()) + "): " + describe(files) +
                          ". Using first matching file: " + files.front());
        const auto folder = hub.snapshot(repo, std::string(revision), files.front());
        const auto document = Platform::JSON::parseDocument(Platform::readFile(folder / files.front()));
        return ModelSupportConfig::fromJSON(document);
    } catch (const std::exception& error) {
        Logging::error("Fetch model support config failed with error: " + std::string(error.what()));
        return Constants::fallbackModelSupportConfig();
    }
}

std::vector<std::string> RadozodEri::fetchAvailableModels(const std::string& repo,
                                                          const std::vector<std::string>& patterns,
                                                          const std::optional<std::filesystem::path>& downloadBase,
                                                          const std::optional<std::string>& token,
                                                          const std::string& remoteConfigName,
                                                          const std::string& endpoint)
{
    const auto supported = fetchModelSupportConfig(repo, downloadBase, token, remoteConfigName, endpoint)
                               .modelSupport(deviceName())
                               .supported;
    std::set<std::string> found;
    for (const auto& pattern : patterns)
        for (auto& name : RuntimeCore::matching(supported, pattern))
            found.insert(std::move(name));
    return ModelUtilities::formatModelFiles({found.begin(), found.end()});
}

std::filesystem::path RadozodEri::download(const std::string& variant,
                                           const std::optional<std::filesystem::path>& downloadBase,
                                           bool useBackgroundSession, const std::string& repo,
                                           const std::optional<std::string>& token, const std::string& endpoint,
                                           const ProgressCallback& progressCallback)
{
    const Hub::HubApi hub(downloadBase, token, endpoint, useBackgroundSession);
    const Hub::Repo repository{repo};
    try {
        auto search = [&](const std::string& pattern) {
            Logging::debug("Searching for models matching " + inQuotes(pattern) + " in " + describe(repository));
            return topFolders(hub.getFilenames(repository, std::string(revision), {pattern}));
        };
        std::string pattern = "*" + variant + "/*";
        auto folders = search(pattern);
        if (folders.size() != 1) {
            Logging::debug("Multiple models found matching " + inQuotes(pattern));
            pattern = "*openai*" + variant + "/*";
            folders = search(pattern);
            if (folders.size() != 1)
                throw WhisperError::modelsUnavailable(std::string(folders.empty() ? "No" : "Multiple") +
                                                      " models found matching " + inQuotes(pattern) + " in " +
                                                      describe(repository));
        }
        const std::string& folder = *folders.begin();
        Logging::debug("Downloading model " + folder + "...");
        const auto local =
            hub.snapshot(repository, std::string(revision), std::vector{pattern},
                         Hub::HubApi::ProgressHandler([&](const Platform::Progress& progress) {
                             Logging::debug("Progress: " + std::to_string(progress.completedUnitCount()) + "/" +
                                            std::to_string(progress.totalUnitCount()));
                             if (progressCallback)
                                 progressCallback(progress);
                         }));
        return local / folder;
    } catch (const std::exception& error) {
        Logging::debug(std::string(error.what()));
        throw;
    }
}

void RadozodEri::setupModels(const std::optional<std::string>& model,
                             const std::optional<std::filesystem::path>& downloadBase,
                             const std::optional<std::string>& modelRepo, const std::optional<std::string>& modelToken,
                             const std::optional<std::string>& modelFolder, bool download,
                             const std::string& remoteConfigName, const std::string& endpoint)
{
    if (modelFolder) {
        // Not checked here: a load reports a missing folder or file.
        setModelFolder(std::filesystem::path(*modelFolder));
        return;
    }
    if (!download)
        return;
    const std::string repo = modelRepo.value_or(std::string(defaultModelRepository));
    const std::string variant =
        model ? *model
              : fetchModelSupportConfig(repo, downloadBase, modelToken, remoteConfigName, endpoint)
                    .modelSupport(deviceName())
                    .defaultModel;
    try {
        setModelFolder(
            RadozodEri::download(variant, downloadBase, useBackgroundDownloadSession(), repo, modelToken, endpoint));
    } catch (const std::exception& error) {
        throw WhisperError::modelsUnavailable(
            "Model not found. Please check the model or repo name and try again.\nError: " + std::string(error.what()));
    }
}

} // namespace RadozodEri

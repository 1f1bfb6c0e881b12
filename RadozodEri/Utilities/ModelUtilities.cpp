#include "RadozodEri/Utilities/ModelUtilities.h"

#include "Hub/Api/HubApi.h"
#include "Hub/ModelConfiguration/LanguageModelConfigurationFromHub.h"
#include "RadozodEri/Core/Constants.h"
#include "RuntimeCore/Logging/Logging.h"
#include "Tokenizers/AutoTokenizer.h"
#include "Tokenizers/PreTrainedTokenizer.h"

#include <algorithm>
#include <set>

namespace RadozodEri::ModelUtilities {
namespace {

using RuntimeCore::Logging;

// The tokenizer of a local folder, or none with the reason logged.
std::unique_ptr<Tokenizers::Tokenizer> localTokenizer(const std::filesystem::path& folder)
{
    try {
        const Hub::LanguageModelConfigurationFromHub configuration(folder);
        const std::optional<Hub::Config> tokenizerConfig = configuration.tokenizerConfig();
        if (!tokenizerConfig) {
            Logging::debug("Tokenizer configuration not found in local config");
            return nullptr;
        }
        return std::make_unique<Tokenizers::PreTrainedTokenizer>(*tokenizerConfig, configuration.tokenizerData(), true);
    } catch (const std::exception& error) {
        Logging::debug(std::string("Error loading local tokenizer: ") + error.what());
        return nullptr;
    }
}

// The first variant text (in case order) that the name contains.
std::size_t familyIndex(std::string_view name)
{
    const auto& variants = modelVariantNames.entries;
    for (std::size_t index = 0; index < variants.size(); ++index)
        if (name.find(variants[index].second) != std::string_view::npos)
            return index;
    return variants.size();
}

} // namespace

ModelVariant detectVariant(int logitsDim, int encoderDim)
{
    switch (logitsDim) {
    case 51864:
        switch (encoderDim) {
        case 384: return ModelVariant::tinyEn;
        case 768: return ModelVariant::smallEn;
        case 1024: return ModelVariant::mediumEn;
        default: return ModelVariant::baseEn;
        }
    case 51865:
        switch (encoderDim) {
        case 384: return ModelVariant::tiny;
        case 768: return ModelVariant::small;
        case 1024: return ModelVariant::medium;
        case 1280: return ModelVariant::largev2;
        default: return ModelVariant::base;
        }
    case 51866: return ModelVariant::largev3;
    default:
        Logging::error("Unrecognized vocabulary size: " + std::to_string(logitsDim) + ", defaulting to base variant");
        return ModelVariant::base;
    }
}

std::string tokenizerNameForVariant(ModelVariant variant)
{
    return "openai/whisper-" + std::string(description(variant));
}

std::filesystem::path hubRepositoryFolder(const std::filesystem::path& downloadBase, const std::string& repository)
{
    return downloadBase / "models" / repository;
}

std::unique_ptr<WhisperTokenizerWrapper> loadTokenizer(ModelVariant variant,
                                                       const std::optional<std::filesystem::path>& tokenizerFolder,
                                                       const std::vector<std::filesystem::path>& additionalSearchPaths,
                                                       bool useBackgroundSession)
{
    const std::string name = tokenizerNameForVariant(variant);
    const Hub::HubApi hubApi(tokenizerFolder, std::nullopt, std::nullopt, useBackgroundSession);
    const std::filesystem::path hubFolder = hubApi.localRepoLocation(Hub::Repo{name});
    std::vector<std::filesystem::path> searchPaths = {hubFolder};
    if (tokenizerFolder)
        searchPaths.push_back(*tokenizerFolder);
    searchPaths.insert(searchPaths.end(), additionalSearchPaths.begin(), additionalSearchPaths.end());

    std::optional<std::filesystem::path> localFolder;
    for (const std::filesystem::path& folder : searchPaths) {
        std::error_code error;
        const bool found = std::filesystem::exists(folder / "tokenizer.json", error);
        Logging::debug("Checking for local tokenizer at " + (folder / "tokenizer.json").string() + " - " +
                       (found ? "found" : "not found"));
        if (found) {
            localFolder = folder;
            break;
        }
    }
    if (!localFolder) {
        Logging::debug("No tokenizer found in any local search paths");
    } else {
        Logging::debug("Found local tokenizer at " + localFolder->string());
        if (std::unique_ptr<Tokenizers::Tokenizer> tokenizer = localTokenizer(*localFolder)) {
            Logging::debug("Loading tokenizer from " + localFolder->string());
            return std::make_unique<WhisperTokenizerWrapper>(std::move(tokenizer), *localFolder);
        }
    }
    Logging::debug("Downloading tokenizer from Hub at file://" + std::filesystem::absolute(hubFolder).string());
    return std::make_unique<WhisperTokenizerWrapper>(Tokenizers::AutoTokenizer::from(name, hubApi, true), hubFolder);
}

std::vector<std::string> formatModelFiles(const std::vector<std::string>& modelFiles)
{
    std::vector<std::string> searchNames;
    for (const auto& [variant, text] : modelVariantNames.entries)
        searchNames.push_back(std::string(text) + (text.find("large") == std::string_view::npos ? "/" : ""));
    std::set<std::string> folders;
    for (const std::string& path : modelFiles) {
        const std::string folder = path.substr(0, path.find('/')) + "/";
        if (std::ranges::any_of(searchNames,
                                [&](const std::string& search) { return folder.find(search) != std::string::npos; }))
            folders.insert(folder.substr(0, folder.size() - 1));
    }
    std::vector<std::string> names(folders.begin(), folders.end());
    std::ranges::stable_sort(names, [](const std::string& left, const std::string& right) {
        const std::size_t leftFamily = familyIndex(left);
        const std::size_t rightFamily = familyIndex(right);
        return leftFamily == rightFamily ? left < right : leftFamily < rightFamily;
    });
    return names;
}

ModelSupport modelSupport(std::string_view deviceIdentifier, const std::optional<ModelSupportConfig>& config)
{
    return config ? config->modelSupport(deviceIdentifier)
                  : Constants::fallbackModelSupportConfig().modelSupport(deviceIdentifier);
}

std::pair<std::string, std::vector<std::string>> modelSupportSummary(std::string_view deviceIdentifier,
                                                                     const std::optional<ModelSupportConfig>& config)
{
    ModelSupport support = modelSupport(deviceIdentifier, config);
    return {std::move(support.defaultModel), std::move(support.disabled)};
}

} // namespace RadozodEri::ModelUtilities

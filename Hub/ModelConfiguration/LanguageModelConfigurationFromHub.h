#pragma once

// The configuration files a tokenizer is built from: the model configuration
// ("config.json"), the tokenizer configuration ("tokenizer_config.json", with
// a chat template of its own file put in) and the tokenizer data
// ("tokenizer.json", required), from a local folder or from a hub repository
// whose files are first brought into the cache. Loading starts on a worker
// thread at construction; each getter waits for it and rethrows its failure.

#include "Hub/Api/HubApi.h"
#include "Hub/Config/Config.h"

#include <filesystem>
#include <future>
#include <optional>
#include <string>

namespace Hub {

class LanguageModelConfigurationFromHub {
public:
    struct Configurations {
        std::optional<Config> modelConfig;
        std::optional<Config> tokenizerConfig;
        Config tokenizerData;
    };

    explicit LanguageModelConfigurationFromHub(std::filesystem::path modelFolder);
    LanguageModelConfigurationFromHub(std::string modelName, std::string revision, HubApi hubApi);

    std::optional<Config> modelConfig() const;
    // The file's configuration; one without a tokenizer class gets the class
    // of the model type's fallback configuration, else one named after the
    // model type ("bert" gives "BertTokenizer").
    std::optional<Config> tokenizerConfig() const;
    std::optional<std::string> modelType() const;
    Config tokenizerData() const;

    // Throws HubClientError: configurationMissing without "tokenizer.json",
    // jsonSerialization for a file that does not parse, fileSystemError for
    // one that cannot be read. An unreadable chat template is left out.
    static Configurations loadConfig(const std::filesystem::path& modelFolder);
    // Fetches the repository's configuration files at the revision, then
    // loads them as a folder's. A transfer that failed below HTTP throws
    // networkError; the hub client's own errors pass unchanged.
    static Configurations loadConfig(const std::string& modelName, const std::string& revision, const HubApi& hubApi);
    // The model type's configuration among the hub module's resources, none
    // for a type of characters other than letters, digits, "_" and "-".
    static std::optional<Config> fallbackTokenizerConfig(const std::string& modelType);
    static std::optional<Config> fallbackTokenizerConfig(const std::string& modelType,
                                                         const std::filesystem::path& resourceFolder);

private:
    std::shared_future<Configurations> configPromise_;
};

} // namespace Hub

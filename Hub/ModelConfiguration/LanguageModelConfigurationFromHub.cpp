#include "Hub/ModelConfiguration/LanguageModelConfigurationFromHub.h"

#include "Hub/Config/YYJSONParser.h"
#include "Hub/HubClientError.h"
#include "Hub/ModelConfiguration/ModelTypeNames.h"
#include "Platform/Files/ReadFile.h"
#include "Platform/Log/Log.h"
#include "Platform/Net/HTTPSession.h"

namespace Hub {
namespace {

Config parsedFile(const std::filesystem::path& file)
{
    const std::string data = Platform::readFile(file);
    try {
        return YYJSONParser::parseToConfig(data);
    } catch (const YYJSONParser::ParseError& error) {
        throw HubClientError::jsonSerialization(file,
                                                "JSON parsing failed for " + file.string() + ": " + error.what() +
                                                    ". If this is a private model, verify that HUB_TOKEN is set.");
    }
}

std::optional<Config> optionalFile(const std::filesystem::path& file)
{
    if (!std::filesystem::exists(file))
        return std::nullopt;
    return parsedFile(file);
}

// A template of its own file: "chat_template.jinja" as text, else the
// "chat_template" text of "chat_template.json". Unreadable files give none.
std::optional<std::string> chatTemplate(const std::filesystem::path& modelFolder)
{
    try {
        if (std::filesystem::exists(modelFolder / "chat_template.jinja"))
            return Platform::readFile(modelFolder / "chat_template.jinja");
        if (std::filesystem::exists(modelFolder / "chat_template.json"))
            return parsedFile(modelFolder / "chat_template.json").member("chatTemplate").string();
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

std::optional<Config> withChatTemplate(std::optional<Config> tokenizerConfig, const std::string& chatTemplate)
{
    Config::Dictionary entries =
        tokenizerConfig ? tokenizerConfig->dictionary(Config::Dictionary{}) : Config::Dictionary{};
    entries[BinaryDistinctString("chat_template")] = Config(chatTemplate);
    return Config(std::move(entries));
}

// The folder of the hub module's resources: "Resources/Hub" beside the
// program's folder.
std::filesystem::path hubResourceFolder()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return program.parent_path().parent_path() / "Resources" / "Hub";
}

} // namespace

LanguageModelConfigurationFromHub::LanguageModelConfigurationFromHub(std::filesystem::path modelFolder)
    : configPromise_(std::async(std::launch::async, [folder = std::move(modelFolder)] { return loadConfig(folder); }))
{
}

LanguageModelConfigurationFromHub::LanguageModelConfigurationFromHub(std::string modelName, std::string revision,
                                                                     HubApi hubApi)
    : configPromise_(
          std::async(std::launch::async, [name = std::move(modelName), revision = std::move(revision),
                                          hub = std::move(hubApi)] { return loadConfig(name, revision, hub); }))
{
}

LanguageModelConfigurationFromHub::Configurations
LanguageModelConfigurationFromHub::loadConfig(const std::string& modelName, const std::string& revision,
                                              const HubApi& hubApi)
{
    // Every file a folder's loading may read, and nothing else of the
    // repository (weights are the engine's business).
    static const std::vector<std::string> files = {"config.json", "tokenizer_config.json", "chat_template.jinja",
                                                   "chat_template.json", "tokenizer.json"};
    try {
        return loadConfig(hubApi.snapshot(Repo{modelName}, revision, files));
    } catch (const Platform::NetworkError&) {
        throw HubClientError::networkError(std::current_exception());
    }
}

LanguageModelConfigurationFromHub::Configurations
LanguageModelConfigurationFromHub::loadConfig(const std::filesystem::path& modelFolder)
{
    try {
        Configurations configurations;
        configurations.modelConfig = optionalFile(modelFolder / "config.json");
        if (!std::filesystem::exists(modelFolder / "tokenizer.json"))
            throw HubClientError::configurationMissing("tokenizer.json");
        configurations.tokenizerData = parsedFile(modelFolder / "tokenizer.json");
        configurations.tokenizerConfig = optionalFile(modelFolder / "tokenizer_config.json");
        if (const std::optional<std::string> chat = chatTemplate(modelFolder))
            configurations.tokenizerConfig = withChatTemplate(std::move(configurations.tokenizerConfig), *chat);
        return configurations;
    } catch (const HubClientError&) {
        throw;
    } catch (const std::exception&) {
        throw HubClientError::fileSystemError(std::current_exception());
    }
}

std::optional<Config> LanguageModelConfigurationFromHub::modelConfig() const
{
    return configPromise_.get().modelConfig;
}

Config LanguageModelConfigurationFromHub::tokenizerData() const
{
    return configPromise_.get().tokenizerData;
}

std::optional<std::string> LanguageModelConfigurationFromHub::modelType() const
{
    const std::optional<Config>& modelConfig = configPromise_.get().modelConfig;
    return modelConfig ? modelConfig->member("modelType").string() : std::nullopt;
}

std::optional<Config> LanguageModelConfigurationFromHub::tokenizerConfig() const
{
    const std::optional<Config>& tokenizerConfig = configPromise_.get().tokenizerConfig;
    if (tokenizerConfig && tokenizerConfig->member("tokenizerClass").string())
        return tokenizerConfig;
    const std::optional<std::string> type = modelType();
    if (!type)
        return tokenizerConfig;
    const std::optional<Config> fallback = fallbackTokenizerConfig(*type);
    if (!tokenizerConfig)
        return fallback;
    Config::Dictionary base = tokenizerConfig->dictionary(Config::Dictionary{});
    if (!fallback) {
        base[BinaryDistinctString("tokenizer_class")] = Config(capitalizedWords(*type) + "Tokenizer");
        return Config(std::move(base));
    }
    // The fallback's entries win over the file's.
    std::optional<Config::Dictionary> merged = fallback->dictionary();
    if (!merged)
        return Config(Config::Dictionary{});
    merged->merge(base);
    return Config(std::move(*merged));
}

std::optional<Config> LanguageModelConfigurationFromHub::fallbackTokenizerConfig(const std::string& modelType)
{
    return fallbackTokenizerConfig(modelType, hubResourceFolder());
}

std::optional<Config>
LanguageModelConfigurationFromHub::fallbackTokenizerConfig(const std::string& modelType,
                                                           const std::filesystem::path& resourceFolder)
{
    if (!isResourceName(modelType))
        return std::nullopt;
    const std::filesystem::path file = resourceFolder / (modelType + "_tokenizer_config.json");
    if (!std::filesystem::exists(file))
        return std::nullopt;
    try {
        Config config = YYJSONParser::parseToConfig(Platform::readFile(file));
        if (config.value().kind() != Config::Data::Case::dictionary)
            throw HubClientError::parseError("Failed to parse fallback tokenizer config");
        return config;
    } catch (const std::exception& error) {
        Platform::printLine(std::string("Error loading fallback tokenizer config: ") + error.what());
        return std::nullopt;
    }
}

} // namespace Hub

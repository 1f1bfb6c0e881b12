#include "Hub/ModelConfiguration/LanguageModelConfigurationFromHub.h"

#include "Hub/Config/YYJSONParser.h"
#include "Hub/Download/HubFileFixture.h"
#include "Hub/HubClientError.h"
#include "Hub/ModelConfiguration/ModelTypeNames.h"
#include "Support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

using Hub::Config;
using Hub::HubClientError;
using Hub::LanguageModelConfigurationFromHub;
using Hub::YYJSONParser::parseToConfig;

namespace {

void write(const std::filesystem::path& file, std::string_view text)
{
    std::ofstream(file, std::ios::binary) << text;
}

std::optional<HubClientError::Kind> loadingFailure(const std::filesystem::path& folder)
{
    try {
        LanguageModelConfigurationFromHub(folder).tokenizerData();
    } catch (const HubClientError& error) {
        return error.kind();
    }
    return std::nullopt;
}

} // namespace

TEST(LanguageModelConfigurationFromHub, AFolderWithOnlyTheTokenizerDataLeavesTheRestEmpty)
{
    TestSupport::TemporaryFolder folder;
    write(folder / "tokenizer.json", R"({"model": {}})");
    const LanguageModelConfigurationFromHub configuration(folder.path());
    EXPECT_EQ(configuration.tokenizerData(), parseToConfig(R"({"model": {}})"));
    EXPECT_EQ(configuration.modelConfig(), std::nullopt);
    EXPECT_EQ(configuration.modelType(), std::nullopt);
    EXPECT_EQ(configuration.tokenizerConfig(), std::nullopt);
}

TEST(LanguageModelConfigurationFromHub, FailsWithoutTokenizerDataOrOnAFileThatDoesNotParse)
{
    TestSupport::TemporaryFolder folder;
    try {
        LanguageModelConfigurationFromHub(folder.path()).tokenizerConfig();
        FAIL() << "loaded a folder without tokenizer data";
    } catch (const HubClientError& error) {
        EXPECT_EQ(error.kind(), HubClientError::Kind::configurationMissing);
        EXPECT_STREQ(error.what(), "Required configuration file missing: tokenizer.json");
    }
    write(folder / "tokenizer.json", "{}");
    write(folder / "config.json", "{not json");
    try {
        LanguageModelConfigurationFromHub(folder.path()).modelConfig();
        FAIL() << "parsed a broken file";
    } catch (const HubClientError& error) {
        EXPECT_EQ(error.kind(), HubClientError::Kind::jsonSerialization);
        EXPECT_EQ(error.fileURL(), folder / "config.json");
        EXPECT_NE(std::string(error.what()).find("If this is a private model, verify that HUB_TOKEN is set."),
                  std::string::npos);
    }
    std::filesystem::remove(folder / "config.json");
    std::filesystem::create_directory(folder / "tokenizer_config.json");
    EXPECT_EQ(loadingFailure(folder.path()), HubClientError::Kind::fileSystemError) << "a folder cannot be read";
}

TEST(LanguageModelConfigurationFromHub, NamesTheClassAfterTheModelTypeWhenTheConfigurationHasNone)
{
    TestSupport::TemporaryFolder folder;
    write(folder / "tokenizer.json", "{}");
    write(folder / "config.json", R"({"model_type": "bert"})");
    write(folder / "tokenizer_config.json", R"({"do_lower_case": false})");
    EXPECT_EQ(LanguageModelConfigurationFromHub(folder.path()).tokenizerConfig(),
              parseToConfig(R"({"do_lower_case": false, "tokenizer_class": "BertTokenizer"})"));
    write(folder / "tokenizer_config.json", R"({"tokenizer_class": "GPT2Tokenizer"})");
    EXPECT_EQ(LanguageModelConfigurationFromHub(folder.path()).tokenizerConfig(),
              parseToConfig(R"({"tokenizer_class": "GPT2Tokenizer"})"));
}

TEST(LanguageModelConfigurationFromHub, PutsTheChatTemplateOfItsOwnFileIntoTheConfiguration)
{
    TestSupport::TemporaryFolder folder;
    write(folder / "tokenizer.json", "{}");
    write(folder / "tokenizer_config.json", R"({"tokenizer_class": "X", "chat_template": "old"})");
    write(folder / "chat_template.json", R"({"chat_template": "from json"})");
    EXPECT_EQ(LanguageModelConfigurationFromHub(folder.path()).tokenizerConfig()->member("chatTemplate"),
              Config("from json"));
    write(folder / "chat_template.jinja", "from jinja");
    EXPECT_EQ(LanguageModelConfigurationFromHub(folder.path()).tokenizerConfig()->member("chatTemplate"),
              Config("from jinja"));

    std::filesystem::remove(folder / "chat_template.jinja");
    std::filesystem::remove(folder / "tokenizer_config.json");
    write(folder / "chat_template.json", R"({"chat_template": [{"name": "a", "template": "b"}]})");
    EXPECT_EQ(LanguageModelConfigurationFromHub(folder.path()).tokenizerConfig(), std::nullopt)
        << "a list of named templates adds nothing";
    write(folder / "chat_template.json", R"({"chat_template": "only"})");
    EXPECT_EQ(LanguageModelConfigurationFromHub(folder.path()).tokenizerConfig(),
              parseToConfig(R"({"chat_template": "only"})"));
}

TEST(LanguageModelConfigurationFromHub, ReadsFallbackConfigurationsOfPlainModelTypesOnly)
{
    TestSupport::TemporaryFolder resources;
    write(resources / "t5_tokenizer_config.json", R"({"tokenizer_class": "T5Tokenizer"})");
    write(resources / "broken_tokenizer_config.json", "[1]");
    EXPECT_EQ(LanguageModelConfigurationFromHub::fallbackTokenizerConfig("t5", resources.path()),
              parseToConfig(R"({"tokenizer_class": "T5Tokenizer"})"));
    EXPECT_EQ(LanguageModelConfigurationFromHub::fallbackTokenizerConfig("gpt2", resources.path()), std::nullopt);
    testing::internal::CaptureStdout();
    EXPECT_EQ(LanguageModelConfigurationFromHub::fallbackTokenizerConfig("broken", resources.path()), std::nullopt);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error loading fallback tokenizer config: Parse error: Failed to parse fallback tokenizer config\n");

    for (const char* type : {"", "a b", "a.b", "../t5"})
        EXPECT_FALSE(Hub::isResourceName(type)) << type;
    EXPECT_TRUE(Hub::isResourceName("xlm-roberta_2"));
    EXPECT_EQ(Hub::capitalizedWords("xlm-roBERTa"), "Xlm-Roberta");
    EXPECT_EQ(Hub::capitalizedWords("bert"), "Bert");
}

namespace {

class LanguageModelConfigurationFromTheHub : public TestSupport::HubFileFixture, public testing::Test {
protected:
    std::optional<HubClientError::Kind> loadingFailure() const
    {
        try {
            LanguageModelConfigurationFromHub(repoId, "main", client()).tokenizerData();
        } catch (const HubClientError& error) {
            return error.kind();
        }
        return std::nullopt;
    }
};

} // namespace

TEST_F(LanguageModelConfigurationFromTheHub, FetchesTheConfigurationFilesAloneThenLoadsThemAsAFolder)
{
    server.respondListing("models", repoId, "main",
                          {"config.json", "tokenizer_config.json", "chat_template.jinja", "chat_template.json",
                           "tokenizer.json", "model.bin", "sub/tokenizer.json"});
    serveFile("config.json", R"({"model_type": "bert"})", "e1");
    serveFile("tokenizer_config.json", R"({"do_lower_case": true})", "e2");
    serveFile("chat_template.jinja", "from jinja", "e3");
    serveFile("chat_template.json", R"({"chat_template": "from json"})", "e4");
    serveFile("tokenizer.json", R"({"model": {}})", "e5");
    serveFile("model.bin", "weights", "e6");

    const LanguageModelConfigurationFromHub configuration(repoId, "main", client());
    EXPECT_EQ(configuration.tokenizerData(), parseToConfig(R"({"model": {}})"));
    EXPECT_EQ(configuration.modelType(), "bert");
    EXPECT_EQ(
        configuration.tokenizerConfig(),
        parseToConfig(R"({"do_lower_case": true, "chat_template": "from jinja", "tokenizer_class": "BertTokenizer"})"));

    std::vector<std::string> fetched;
    for (const auto& request : server.requests())
        if (request.method == "GET" && request.target.starts_with("/owner/model/resolve/main/"))
            fetched.push_back(request.target.substr(std::string_view("/owner/model/resolve/main/").size()));
    EXPECT_THAT(fetched, testing::UnorderedElementsAre("config.json", "tokenizer_config.json", "chat_template.jinja",
                                                       "chat_template.json", "tokenizer.json"));
    EXPECT_TRUE(std::filesystem::exists(repoFolder() / "tokenizer.json"));
}

TEST_F(LanguageModelConfigurationFromTheHub, ReportsWhatTheRepositoryOrTheTransferLacks)
{
    server.respondListing("models", repoId, "main", {"config.json"});
    serveFile("config.json", "{}", "e1");
    EXPECT_EQ(loadingFailure(), HubClientError::Kind::configurationMissing);

    // A file that redirects to itself fails below HTTP.
    const std::string file = std::string("/") + repoId + "/resolve/main/tokenizer.json";
    server.respondListing("models", repoId, "main", {"tokenizer.json"});
    server.respond(file, LoopbackHTTPServer::redirect(307, file));
    EXPECT_EQ(loadingFailure(), HubClientError::Kind::networkError);

    server.respond(std::string("/api/models/") + repoId + "/revision/main", {.status = 401});
    EXPECT_EQ(loadingFailure(), HubClientError::Kind::authorizationRequired) << "the hub client's own error passes";
}

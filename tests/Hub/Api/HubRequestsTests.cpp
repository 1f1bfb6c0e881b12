#include "Hub/Api/DefaultEndpoint.h"
#include "Hub/Api/HubApi.h"
#include "Hub/HubClientError.h"
#include "Platform/Files/ReadFile.h"
#include "Platform/JSON/JSONCoding.h"
#include "Support/LoopbackHTTPServer.h"
#include "Support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

using namespace Hub;
using testing::ElementsAre;
using testing::UnorderedElementsAre;
using TestSupport::ScopedEnvironment;
using TestSupport::TemporaryFolder;

namespace {

template <class Call>
HubClientError failureOf(Call call)
{
    try {
        call();
    } catch (const HubClientError& error) {
        return error;
    }
    throw std::logic_error("no HubClientError");
}

// A client of the loopback hub in a home of its own.
class HubRequestsTest : public testing::Test {
protected:
    HubApi client(std::optional<std::string> token = "secret") const
    {
        return HubApi(folder.path() / "cache", std::move(token), server.endpoint());
    }

    LoopbackHTTPServer server;
    TemporaryFolder folder;
    ScopedEnvironment home{"HOME", folder.path().string()};
    ScopedEnvironment hubToken{"HUB_TOKEN", std::nullopt};
    ScopedEnvironment modelHubToken{"MODEL_HUB_TOKEN", std::nullopt};
};

} // namespace

TEST_F(HubRequestsTest, ListsARepositoryAtTheEndpointFromTheEnvironment)
{
    ScopedEnvironment endpoint{"HUB_ENDPOINT", server.endpoint()};
    server.respondListing("models", "the-id", "main", {"b.bin", "a/config.json", "c.txt"});
    const HubApi api(folder.path() / "cache", std::string("secret"));
    EXPECT_EQ(api.endpoint, server.endpoint());
    EXPECT_THAT(api.getFilenames("the-id", std::vector<std::string>{}), ElementsAre("b.bin", "a/config.json", "c.txt"));
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "/api/models/the-id/revision/main");
    EXPECT_EQ(requests[0].headers.at("authorization"), "Bearer secret");
}

TEST_F(HubRequestsTest, SendsTheRevisionAsOneSegmentAndTheIdAsItsSegments)
{
    server.respondListing("datasets", "a/b", "refs%2Fpr%2F1", {"x.json"});
    EXPECT_THAT(client().getFilenames(Repo{"a/b", RepoType::datasets}, "refs/pr/1", {}), ElementsAre("x.json"));
    EXPECT_THAT(server.requestedPaths(), ElementsAre("/api/datasets/a/b/revision/refs%2Fpr%2F1"));
}

TEST_F(HubRequestsTest, FiltersNamesByPatternsGivingEachOnce)
{
    server.respondListing("models", "m", "main", {"config.json", "a/b/config.json", "model.bin", ".hidden.json"});
    const HubApi api = client();
    EXPECT_THAT(api.getFilenames(Repo{"m"}, "main", {"*.json", "config.json"}),
                UnorderedElementsAre("config.json", "a/b/config.json", ".hidden.json"));
    EXPECT_THAT(api.getFilenames("m", std::string("*.bin")), ElementsAre("model.bin"));
    EXPECT_THAT(api.getFilenames(Repo{"m"}, std::string("[!m]*.json")),
                UnorderedElementsAre("config.json", "a/b/config.json", ".hidden.json"));
}

TEST_F(HubRequestsTest, RefusesAListingOfAnotherShape)
{
    server.respond("/api/models/m/revision/main", {.body = R"({"siblings":[{"name":"x"}]})"});
    EXPECT_THROW(client().getFilenames("m", std::vector<std::string>{}), Platform::JSON::DecodingError);
}

TEST_F(HubRequestsTest, MapsStatusesToHubErrors)
{
    server.respond("/forbidden", {.status = 403});
    server.respond("/unauthorised", {.status = 401});
    server.respond("/broken", {.status = 500});
    server.respond("/moved", LoopbackHTTPServer::redirect(302, "https://elsewhere.invalid/file"));
    const HubApi api = client();
    using Kind = HubClientError::Kind;
    EXPECT_EQ(failureOf([&] { api.httpGet(server.baseURL() + "forbidden"); }).kind(), Kind::authorizationRequired);
    EXPECT_EQ(failureOf([&] { api.httpHead(server.baseURL() + "unauthorised"); }).kind(), Kind::authorizationRequired);
    const HubClientError missing = failureOf([&] { api.httpGet(server.baseURL() + "dir/missing.json"); });
    EXPECT_EQ(missing.kind(), Kind::fileNotFound);
    EXPECT_EQ(missing.message(), "missing.json");
    const HubClientError broken = failureOf([&] { api.httpGet(server.baseURL() + "broken"); });
    EXPECT_EQ(broken.kind(), Kind::httpStatusCode);
    EXPECT_EQ(broken.statusCode(), 500);
    EXPECT_EQ(failureOf([&] { api.httpGet(server.baseURL() + "moved"); }).statusCode(), 302);

    const Platform::HTTPResponse moved = api.httpHead(server.baseURL() + "moved");
    EXPECT_EQ(moved.statusCode, 302);
    EXPECT_EQ(moved.header("Location"), "https://elsewhere.invalid/file");
}

TEST_F(HubRequestsTest, ReportsTransferFailuresOfGetAsDownloadErrors)
{
    std::string url;
    {
        LoopbackHTTPServer closed;
        url = closed.baseURL() + "file";
    }
    EXPECT_EQ(failureOf([&] { client().httpGet(url); }).kind(), HubClientError::Kind::downloadError);
    EXPECT_THROW(client().httpHead(url), Platform::NetworkError);
}

TEST_F(HubRequestsTest, SendsNoAuthorizationForAnEmptyOrUnusableToken)
{
    server.respond("/file", {});
    testing::internal::CaptureStderr();
    for (const std::optional<std::string>& token :
         {std::optional<std::string>(""), std::optional<std::string>("t\r\nX: y")}) {
        const HubApi api = client(token);
        api.httpGet(server.baseURL() + "file");
        api.httpHead(server.baseURL() + "file");
    }
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Ignoring the hub token from the caller"), std::string::npos);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 4u);
    for (const auto& request : requests) {
        EXPECT_FALSE(request.headers.contains("authorization"));
        EXPECT_FALSE(request.headers.contains("x"));
    }
    EXPECT_EQ(requests[1].headers.at("accept-encoding"), "identity");
}

TEST_F(HubRequestsTest, RefusesAnEndpointThatIsNoAbsoluteURLNamingIt)
{
    for (const char* endpoint : {"", "hub.example.invalid"}) {
        const HubApi api(folder.path(), std::string("t"), std::string(endpoint));
        const HubClientError error = failureOf([&] { api.getFilenames("m", std::vector<std::string>{}); });
        EXPECT_EQ(error.kind(), HubClientError::Kind::parseError);
        EXPECT_NE(std::string(error.what()).find("\"" + std::string(endpoint) + "\""), std::string::npos);
    }
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(HubRequestsTest, ReadsConfigurationFilesNamingTheFileWhenTheyAreNoJSON)
{
    const std::filesystem::path good = folder.path() / "good.json";
    const std::filesystem::path bad = folder.path() / "bad.json";
    std::ofstream(good) << R"({"model_type": "whisper"})";
    std::ofstream(bad) << "{";
    const HubApi api = client();
    EXPECT_EQ(api.configuration(good)["modelType"].string(), "whisper");
    const HubClientError error = failureOf([&] { api.configuration(bad); });
    EXPECT_EQ(error.kind(), HubClientError::Kind::jsonSerialization);
    EXPECT_EQ(error.fileURL(), bad);
    EXPECT_THAT(error.what(), testing::StartsWith("JSON parsing failed for " + bad.string() + ": "));
    EXPECT_THAT(error.what(), testing::EndsWith(". If this is a private model, verify that HUB_TOKEN is set."));
    EXPECT_THROW(api.configuration(folder.path() / "absent.json"), Platform::FileReadError);
}

TEST_F(HubRequestsTest, SettlesTheDefaultsOfItsSettings)
{
    ScopedEnvironment documents{"XDG_DOCUMENTS_DIR", (folder.path() / "Documents").string()};
    ScopedEnvironment endpoint{"HUB_ENDPOINT", std::nullopt};
    const HubApi api;
    EXPECT_EQ(api.downloadBase, folder.path() / "Documents" / "modelhub");
    EXPECT_EQ(api.endpoint, defaultEndpoint);
    EXPECT_EQ(api.hubToken, std::nullopt);
    ScopedEnvironment emptyEndpoint{"HUB_ENDPOINT", ""};
    EXPECT_EQ(HubApi().endpoint, "");
}

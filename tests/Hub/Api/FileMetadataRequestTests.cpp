#include "Hub/Api/HubApi.h"
#include "Support/LoopbackHTTPServer.h"
#include "Support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

using namespace Hub;
using testing::ElementsAre;
using TestSupport::TemporaryFolder;

namespace {

class FileMetadataRequestTest : public testing::Test {
protected:
    LoopbackHTTPServer server;
    TemporaryFolder folder;
    HubApi api{folder.path(), std::string("secret"), server.endpoint()};
};

} // namespace

TEST_F(FileMetadataRequestTest, ReadsTheHubsOwnAnswerToAnAbsoluteRedirect)
{
    server.respond("/m/resolve/main/model.bin",
                   {.status = 302,
                    .extraHeaders = "Location: https://cdn.invalid/blob\r\nX-Repo-Commit: c1\r\n"
                                    "X-Linked-Etag: \"e1\"\r\nX-Linked-Size: 1234\r\n"});
    server.respond("/m/resolve/main/bare.bin", {.status = 302});
    server.respond("/m/resolve/main/temporary.bin", LoopbackHTTPServer::redirect(307, "http://127.0.0.1:1/x"));

    const FileMetadata moved = api.getFileMetadata(server.baseURL() + "m/resolve/main/model.bin");
    EXPECT_EQ(moved, (FileMetadata{"c1", "e1", "https://cdn.invalid/blob", 1234, std::nullopt}));
    EXPECT_EQ(api.getFileMetadata(server.baseURL() + "m/resolve/main/bare.bin").location,
              server.baseURL() + "m/resolve/main/bare.bin");
    EXPECT_EQ(api.getFileMetadata(server.baseURL() + "m/resolve/main/temporary.bin").location,
              server.baseURL() + "m/resolve/main/temporary.bin");
    EXPECT_EQ(server.requests().size(), 3u);
}

TEST_F(FileMetadataRequestTest, FollowsARelativeRedirectOnTheSameHostStillAsking)
{
    server.respond("/m/resolve/main/a.bin", LoopbackHTTPServer::redirect(307, "/x?q=1"));
    server.respond("/x?q=1", {.body = "not sent", .extraHeaders = "ETag: \"final\"\r\n"});

    const FileMetadata metadata = api.getFileMetadata(server.baseURL() + "m/resolve/main/a.bin?old=1");
    EXPECT_EQ(metadata.location, server.baseURL() + "x?q=1");
    EXPECT_EQ(metadata.etag, "final");
    EXPECT_EQ(metadata.size, 8);

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].method, "HEAD");
    EXPECT_EQ(requests[1].target, "/x?q=1");
    EXPECT_EQ(requests[1].headers.at("authorization"), "Bearer secret");
    EXPECT_EQ(requests[1].headers.at("accept-encoding"), "identity");
    EXPECT_EQ(requests[1].headers.at("location"), server.baseURL() + "x?q=1");
}

TEST_F(FileMetadataRequestTest, LeavesOtherRedirectsUnfollowed)
{
    const struct {
        const char* extraHeaders;
        const char* why;
    } cases[] = {
        {"Location: x\r\n", "a path without a leading slash"},
        {"Location: //127.0.0.1/x\r\n", "a host without a scheme"},
        {"", "no location"},
        {"Location: /a b\r\n", "no URL"},
    };
    for (const auto& c : cases) {
        server.respond("/file", {.status = 301, .extraHeaders = c.extraHeaders});
        EXPECT_EQ(api.httpHead(server.baseURL() + "file").statusCode, 301) << c.why;
    }
    for (const auto& request : server.requests())
        EXPECT_EQ(request.target, "/file");
}

TEST_F(FileMetadataRequestTest, EndsARelativeRedirectLoop)
{
    server.respond("/loop", LoopbackHTTPServer::redirect(307, "/loop"));
    EXPECT_THROW(api.httpHead(server.baseURL() + "loop"), Platform::NetworkError);
}

TEST_F(FileMetadataRequestTest, AsksForEveryMatchingFileOfARepositoryInListingOrder)
{
    server.respondListing("datasets", "o/d", "v1", {"b.json", "a.bin", "c.json"});
    server.respond("/datasets/o/d/resolve/v1/b.json", {.body = "bb"});
    server.respond("/datasets/o/d/resolve/v1/c.json", {.body = "ccc"});

    const auto metadata = api.getFileMetadata(Repo{"o/d", RepoType::datasets}, "v1", std::string("*.json"));
    ASSERT_EQ(metadata.size(), 2u);
    EXPECT_EQ(metadata[0].size, 2);
    EXPECT_EQ(metadata[1].size, 3);
    EXPECT_THAT(server.requestedPaths(), ElementsAre("/api/datasets/o/d/revision/v1", "/datasets/o/d/resolve/v1/b.json",
                                                     "/datasets/o/d/resolve/v1/c.json"));

    EXPECT_TRUE(api.getFileMetadata(Repo{"o/d", RepoType::datasets}, "v1", std::string("*.txt")).empty());
    EXPECT_EQ(server.requests().back().method, "GET");
}

TEST_F(FileMetadataRequestTest, ModelRepositoriesHaveNoKindSegment)
{
    server.respondListing("models", "m", "main", {"config.json"});
    server.respond("/m/resolve/main/config.json", {});
    EXPECT_EQ(api.getFileMetadata("m", "main", std::vector<std::string>{}).size(), 1u);
    EXPECT_EQ(server.requestedPaths().back(), "/m/resolve/main/config.json");
}

TEST(RedirectSessionActor, HandsConcurrentFirstCallersOneSession)
{
    RedirectSessionActor actor;
    std::shared_ptr<const RedirectingSession> first, second;
    std::thread one([&] { first = actor.get(); });
    std::thread two([&] { second = actor.get(); });
    one.join();
    two.join();
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, actor.get());
    EXPECT_EQ(&HubApi::redirectSession(), &HubApi::redirectSession());
}

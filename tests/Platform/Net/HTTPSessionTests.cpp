#include "Platform/Net/HTTPSession.h"
#include "Support/LoopbackHTTPServer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace Platform;
using testing::ElementsAre;
using testing::Pair;

namespace {

class HTTPSessionTest : public testing::Test {
protected:
    LoopbackHTTPServer server;
    HTTPSession session;
};

} // namespace

TEST_F(HTTPSessionTest, AnswersWithStatusHeadersAndBodyWithoutFollowingRedirects)
{
    server.respond("/file", {.body = "hello", .extraHeaders = "X-Repo-Commit: abc\r\nETag:  \"e1\" \r\n"});
    server.respond("/moved", LoopbackHTTPServer::redirect(302, "/file"));

    const HTTPResponse got = session.send({.url = server.baseURL() + "file"});
    EXPECT_EQ(got.statusCode, 200);
    EXPECT_EQ(got.body, "hello");
    EXPECT_EQ(got.header("x-repo-commit"), "abc");
    EXPECT_EQ(got.header("Etag"), "\"e1\"");
    EXPECT_EQ(got.header("Missing"), std::nullopt);

    const HTTPResponse head = session.send({.url = server.baseURL() + "file", .method = "HEAD"});
    EXPECT_EQ(head.body, "");
    EXPECT_EQ(head.header("Content-Length"), "5");

    // A handle that served a HEAD request forgets it.
    EXPECT_EQ(session.send({.url = server.baseURL() + "file"}).body, "hello");

    const HTTPResponse moved = session.send({.url = server.baseURL() + "moved", .method = "HEAD"});
    EXPECT_EQ(moved.statusCode, 302);
    EXPECT_EQ(moved.header("location"), "/file");
    EXPECT_EQ(moved.url, server.baseURL() + "moved");
}

TEST_F(HTTPSessionTest, ReadsLowerCaseHeaderNamesAsTheSame)
{
    server.respond("/file", {.extraHeaders = "X-Linked-Size: 12\r\n", .lowerCaseHeaderNames = true});
    const HTTPResponse got = session.send({.url = server.baseURL() + "file", .method = "HEAD"});
    EXPECT_EQ(got.header("X-Linked-Size"), "12");
    EXPECT_EQ(got.header("Content-Length"), "0");
}

TEST_F(HTTPSessionTest, SendsHeadersAndReusesOneConnectionAcrossCopies)
{
    const HTTPSession copy = session;
    session.send({.url = server.baseURL() + "a", .headers = {{"Authorization", "Bearer t"}}});
    copy.send({.url = server.baseURL() + "b", .method = "HEAD"});
    session.send({.url = server.baseURL() + "c"});

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].headers.at("authorization"), "Bearer t");
    EXPECT_EQ(requests[1].method, "HEAD");
    EXPECT_FALSE(requests[1].headers.contains("authorization"));
    for (const auto& request : requests)
        EXPECT_EQ(request.connection, 1) << request.target;
}

TEST_F(HTTPSessionTest, RefusesHeaderValuesWithLineBreaksBeforeSendingAnything)
{
    for (const char* value : {"t\r\nX-Injected: 1", "t\n", "t\r"})
        EXPECT_THROW(session.send({.url = server.baseURL() + "a", .headers = {{"Authorization", value}}}),
                     NetworkError);
    EXPECT_THROW(session.send({.url = server.baseURL() + "a", .headers = {{"X\nY", "v"}}}), NetworkError);
    EXPECT_TRUE(server.requests().empty());
}

TEST(HTTPSession, ReportsARefusedConnectionAsANetworkError)
{
    std::string url;
    {
        LoopbackHTTPServer closed;
        url = closed.baseURL() + "file";
    }
    const HTTPSession session;
    EXPECT_THROW(session.send({.url = url}), NetworkError);

    LoopbackHTTPServer open;
    open.respond("/file", {.body = "after"});
    EXPECT_EQ(session.send({.url = open.baseURL() + "file"}).body, "after");
}

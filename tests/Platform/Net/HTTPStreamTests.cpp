#include "Platform/Net/HTTPSession.h"
#include "Support/LoopbackHTTPServer.h"

#include <gtest/gtest.h>

#include <thread>

using namespace Platform;

namespace {

class HTTPStreamTest : public testing::Test {
protected:
    // The statuses seen at the start and the bytes received, in order.
    struct Received {
        std::vector<long> statuses;
        std::string body;
    };

    HTTPBodyReceiver receiver(Received& received, bool wanted = true)
    {
        return {.begin =
                    [&received, wanted](const HTTPResponse& head) {
                        EXPECT_TRUE(received.body.empty());
                        received.statuses.push_back(head.statusCode);
                        return wanted;
                    },
                .receive = [&received](std::string_view bytes) { received.body.append(bytes); }};
    }

    LoopbackHTTPServer server;
    HTTPSession session;
};

} // namespace

TEST_F(HTTPStreamTest, HandsOverTheFinalAnswerBeforeItsBodyAndSendsTheHeaders)
{
    const std::string body(100'000, 'x');
    server.respond("/moved", LoopbackHTTPServer::redirect(302, "/file"));
    server.respond("/file", {.body = body, .extraHeaders = "X-Answer: 1\r\n", .honourRange = true});

    Received received;
    const HTTPResponse response =
        session.stream({.url = server.baseURL() + "moved", .headers = {{"Range", "bytes=10-"}}}, receiver(received));
    EXPECT_EQ(response.statusCode, 206);
    EXPECT_EQ(response.header("X-Answer"), "1");
    EXPECT_EQ(response.body, "");
    EXPECT_EQ(received.statuses, std::vector<long>{206});
    EXPECT_EQ(received.body, body.substr(10));
    EXPECT_EQ(server.requests().back().headers.at("range"), "bytes=10-");
}

TEST_F(HTTPStreamTest, EndsQuietlyWhenTheBodyIsNotWantedAndBeginsAnEmptyOne)
{
    server.respond("/missing", {.status = 404, .body = "not here"});
    server.respond("/empty", {});

    Received refused;
    EXPECT_EQ(session.stream({.url = server.baseURL() + "missing"}, receiver(refused, false)).statusCode, 404);
    EXPECT_EQ(refused.body, "");
    Received empty;
    session.stream({.url = server.baseURL() + "empty"}, receiver(empty));
    EXPECT_EQ(empty.statuses, std::vector<long>{200});
}

TEST_F(HTTPStreamTest, ACutBodyFailsAfterWhatArrivedAndAStopEndsASlowOne)
{
    server.respond("/cut", {.body = std::string(10'000, 'c'), .cutAfter = 3000});
    Received cut;
    EXPECT_THROW(session.stream({.url = server.baseURL() + "cut"}, receiver(cut)), NetworkError);
    EXPECT_EQ(cut.body, std::string(3000, 'c'));

    server.respond("/slow", {.body = std::string(100 * 1024, 's'), .drip = std::chrono::milliseconds(50)});
    std::stop_source stop;
    Received slow;
    std::jthread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        stop.request_stop();
    });
    EXPECT_THROW(session.stream({.url = server.baseURL() + "slow"}, receiver(slow), stop.get_token()),
                 TransferCancelled);
    EXPECT_LT(slow.body.size(), 100u * 1024);
}

TEST_F(HTTPStreamTest, PassesOnWhatTheReceiverThrows)
{
    server.respond("/file", {.body = "abc"});
    const HTTPBodyReceiver failing{.begin = [](const HTTPResponse&) -> bool { throw std::runtime_error("full"); },
                                   .receive = [](std::string_view) {}};
    EXPECT_THROW(session.stream({.url = server.baseURL() + "file"}, failing), std::runtime_error);
}

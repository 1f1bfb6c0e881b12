#include "Hub/Api/EnvironmentError.h"
#include "Hub/Download/Downloader.h"
#include "Platform/Crypto/SHA256.h"
#include "Platform/Files/ReadFile.h"
#include "Support/LoopbackHTTPServer.h"
#include "Support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

using namespace Hub;
using Kind = DownloadState::Kind;

namespace {

std::string bytes(size_t count)
{
    std::string text(count, '\0');
    for (size_t index = 0; index < count; ++index)
        text[index] = static_cast<char>('a' + index * 7 % 26);
    return text;
}

std::string sha256(std::string_view text)
{
    return Platform::hexString(Platform::SHA256::digest(text));
}

// The states up to and including the first completed or failed one.
std::vector<DownloadState> statesOf(Downloader::Subscription& states)
{
    std::vector<DownloadState> seen;
    while (std::optional<DownloadState> state = states.next()) {
        seen.push_back(*state);
        if (state->kind == Kind::completed || state->kind == Kind::failed)
            break;
    }
    return seen;
}

std::vector<Kind> kinds(const std::vector<DownloadState>& states)
{
    std::vector<Kind> result;
    for (const DownloadState& state : states)
        result.push_back(state.kind);
    return result;
}

template <class Error>
Error errorOf(const DownloadState& state)
{
    EXPECT_EQ(state.kind, Kind::failed);
    try {
        std::rethrow_exception(state.error);
    } catch (const Error& error) {
        return error;
    }
    throw std::logic_error("no error");
}

class DownloaderTest : public testing::Test {
protected:
    DownloaderTest() { partial(""); }

    void partial(const std::string& content) { std::ofstream(incomplete, std::ios::binary) << content; }
    std::string url() const { return server.baseURL() + "f.bin"; }
    std::unique_ptr<Downloader> downloader(std::int64_t chunkSize = Downloader::defaultChunkSize)
    {
        auto made = std::make_unique<Downloader>(destination, incomplete, false, chunkSize);
        made->retryWait = std::chrono::milliseconds(1);
        return made;
    }

    LoopbackHTTPServer server;
    TestSupport::TemporaryFolder folder;
    std::filesystem::path destination = folder / "repo/sub/f.bin";
    std::filesystem::path incomplete = folder / "f.bin.etag.incomplete";
};

} // namespace

TEST_F(DownloaderTest, FetchesAWholeFileIntoPlaceAndTellsLateListeners)
{
    const std::string body = bytes(5000);
    server.respond("/f.bin", {.body = body});
    std::filesystem::create_directories(destination.parent_path());
    std::ofstream(destination) << "an older version";
    auto loader = downloader();
    auto states = loader->download(url(), "", std::nullopt, body.size(), 10, 5, sha256(body));
    const auto seen = statesOf(states);

    ASSERT_THAT(kinds(seen), testing::ElementsAre(Kind::downloading, Kind::completed));
    EXPECT_EQ(seen[0].fraction, 0);
    EXPECT_EQ(seen[0].speed, std::nullopt);
    EXPECT_EQ(seen[1].url, destination);
    EXPECT_EQ(Platform::readFile(destination), body);
    EXPECT_FALSE(std::filesystem::exists(incomplete));
    const auto request = server.requests().back();
    EXPECT_FALSE(request.headers.contains("range"));
    // An empty token announces nothing.
    EXPECT_FALSE(request.headers.contains("authorization"));
    auto late = loader->subscribe();
    EXPECT_EQ(late.next()->kind, Kind::completed);
}

TEST_F(DownloaderTest, ResumesFromThePartialFileWithTheTokenAndExtraHeaders)
{
    const std::string body = bytes(16);
    server.respond("/f.bin", {.body = body, .honourRange = true});
    partial(body.substr(0, 4));
    auto loader = downloader();
    auto states = loader->download(url(), "secret", std::map<std::string, std::string>{{"X-Extra", "1"}}, 16, 10, 5);
    const auto seen = statesOf(states);

    ASSERT_THAT(kinds(seen), testing::ElementsAre(Kind::downloading, Kind::completed));
    EXPECT_EQ(seen[0].fraction, 0.25);
    const auto request = server.requests().back();
    EXPECT_EQ(request.headers.at("range"), "bytes=4-");
    EXPECT_EQ(request.headers.at("authorization"), "Bearer secret");
    EXPECT_EQ(request.headers.at("x-extra"), "1");
    EXPECT_EQ(Platform::readFile(destination), body);
}

TEST_F(DownloaderTest, ReportsEachFullBatchButNotTheLastPartOne)
{
    const std::string body = bytes(2500);
    // Dripped, the body arrives a kibibyte at a time.
    server.respond("/f.bin", {.body = body, .drip = std::chrono::milliseconds(5)});
    auto loader = downloader(1000);
    auto states = loader->download(url(), std::nullopt, std::nullopt, body.size(), 10, 5);
    const auto seen = statesOf(states);

    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front().fraction, 0);
    for (size_t index = 1; index + 1 < seen.size(); ++index) {
        EXPECT_EQ(seen[index].kind, Kind::downloading);
        EXPECT_GT(seen[index].fraction, seen[index - 1].fraction);
        EXPECT_LT(seen[index].fraction, 1);
    }
    EXPECT_EQ(seen.back().kind, Kind::completed);

    server.respond("/exact", {.body = bytes(1000)});
    partial("");
    auto exact = loader->download(server.baseURL() + "exact", std::nullopt, std::nullopt, 1000, 10, 5);
    const auto exactStates = statesOf(exact);
    ASSERT_THAT(kinds(exactStates), testing::ElementsAre(Kind::downloading, Kind::downloading, Kind::completed));
    EXPECT_EQ(exactStates[1].fraction, 1.0);
}

TEST_F(DownloaderTest, RetriesABrokenBodyWithAFreshBudgetAfterEachBatch)
{
    const std::string body = bytes(8000);
    // Every answer breaks off after 2.6 batches: without the budget coming back
    // after each batch, one retry would not reach the end.
    server.respond("/f.bin", {.body = body, .honourRange = true, .cutAfter = 2600});
    auto loader = downloader(1000);
    auto states = loader->download(url(), std::nullopt, std::nullopt, body.size(), 10, 1);
    EXPECT_EQ(statesOf(states).back().kind, Kind::completed);
    EXPECT_EQ(Platform::readFile(destination), body);
    EXPECT_EQ(server.requests().back().headers.at("range").substr(0, 6), "bytes=");

    // A batch, then nothing more: five retries follow whatever the count asked
    // for, then the failure.
    partial("");
    server.respondInTurn("/g.bin", {{.body = body, .honourRange = true, .cutAfter = 2100},
                                    {.body = body, .honourRange = true, .cutAfter = 0}});
    const size_t before = server.requests().size();
    auto failing = loader->download(server.baseURL() + "g.bin", std::nullopt, std::nullopt, body.size(), 10, 1);
    const auto seen = statesOf(failing);
    errorOf<Platform::NetworkError>(seen.back());
    EXPECT_EQ(server.requests().size() - before, 1u + 5u);
    EXPECT_EQ(std::filesystem::file_size(incomplete), 2100u);
}

TEST_F(DownloaderTest, FailsOnAnErrorStatusWithoutTouchingThePartialFile)
{
    partial("keep");
    auto loader = downloader();
    auto states = loader->download(server.baseURL() + "missing", std::nullopt, std::nullopt, 10, 10, 5);
    EXPECT_EQ(errorOf<DownloadError>(statesOf(states).back()).kind(), DownloadError::Kind::unexpectedError);
    EXPECT_EQ(Platform::readFile(incomplete), "keep");
    EXPECT_FALSE(std::filesystem::exists(destination));
}

TEST_F(DownloaderTest, NeverLetsAServerThatIgnoresRangesCorruptTheFile)
{
    const std::string body = bytes(16);
    server.respond("/f.bin", {.body = body});
    auto loader = downloader();

    partial(body.substr(0, 4));
    auto ignored = loader->download(url(), std::nullopt, std::nullopt, 16, 10, 5);
    EXPECT_EQ(statesOf(ignored).back().kind, Kind::completed);
    EXPECT_EQ(Platform::readFile(destination), body);

    // Whole already: finished without asking.
    const size_t before = server.requests().size();
    partial(body);
    auto whole = loader->download(url(), std::nullopt, std::nullopt, 16, 10, 5);
    EXPECT_EQ(statesOf(whole).back().kind, Kind::completed);
    EXPECT_EQ(server.requests().size(), before);

    // A refused range and a file of the wrong length start again once.
    server.respondInTurn("/r.bin", {{.status = 416}, {.body = body}});
    partial(body.substr(0, 4));
    auto refused = loader->download(server.baseURL() + "r.bin", std::nullopt, std::nullopt, 16, 10, 5);
    EXPECT_EQ(statesOf(refused).back().kind, Kind::completed);
    EXPECT_EQ(Platform::readFile(destination), body);

    partial("");
    auto wrongSize = loader->download(url(), std::nullopt, std::nullopt, 20, 10, 5);
    EXPECT_EQ(errorOf<DownloadError>(statesOf(wrongSize).back()).kind(), DownloadError::Kind::unexpectedError);
    EXPECT_EQ(server.requests().size(), before + 2 + 2);
}

TEST_F(DownloaderTest, RefusesResumedContentWhoseHashDiffers)
{
    const std::string body = bytes(2000);
    server.respond("/f.bin", {.body = body, .honourRange = true});
    std::string damaged = body.substr(0, 1000);
    damaged[10] ^= 1;
    partial(damaged);
    auto loader = downloader();
    auto states = loader->download(url(), std::nullopt, std::nullopt, body.size(), 10, 5, sha256(body));
    const auto error = errorOf<EnvironmentError>(statesOf(states).back());
    EXPECT_EQ(error.kind(), EnvironmentError::Kind::fileIntegrityError);
    EXPECT_EQ(error.message(), "Hash mismatch for f.bin");
    EXPECT_FALSE(std::filesystem::exists(incomplete));
    EXPECT_FALSE(std::filesystem::exists(destination));
}

TEST_F(DownloaderTest, CancellingStopsTheTransferAndKeepsWhatArrived)
{
    const std::string body = bytes(200 * 1024);
    server.respondInTurn("/f.bin", {{.body = body, .drip = std::chrono::milliseconds(20)}, {.body = body}});
    auto loader = downloader(1024);
    auto first = loader->download(url(), std::nullopt, std::nullopt, body.size(), 10, 5);
    ASSERT_EQ(first.next()->kind, Kind::downloading);
    ASSERT_EQ(first.next()->kind, Kind::downloading); // a batch arrived

    // A second call replaces the first transfer, which reports the stop.
    auto second = loader->download(url(), std::nullopt, std::nullopt, body.size(), 10, 5);
    errorOf<Platform::TransferCancelled>(statesOf(first).back());
    EXPECT_EQ(statesOf(second).back().kind, Kind::completed);
    EXPECT_EQ(Platform::readFile(destination), body);

    server.respond("/slow", {.body = body, .drip = std::chrono::milliseconds(20)});
    partial("");
    auto slow = loader->download(server.baseURL() + "slow", std::nullopt, std::nullopt, body.size(), 10, 5);
    ASSERT_EQ(slow.next()->kind, Kind::downloading);
    ASSERT_EQ(slow.next()->kind, Kind::downloading);
    loader->cancel();
    errorOf<Platform::TransferCancelled>(statesOf(slow).back());
    EXPECT_GE(std::filesystem::file_size(incomplete), 1024u);
    EXPECT_EQ(Platform::readFile(destination), body); // the earlier file stays
}

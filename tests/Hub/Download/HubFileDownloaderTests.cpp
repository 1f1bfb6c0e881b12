#include "Hub/Download/HubFileDownloader.h"
#include "Hub/Download/HubFileFixture.h"
#include "Hub/HubClientError.h"
#include "Platform/Files/ReadFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace Hub;
using TestSupport::sha256Hex;
using TestSupport::writeFile;

namespace {

class HubFileDownloaderTest : public TestSupport::HubFileFixture, public testing::Test {
protected:
    std::filesystem::path download(const std::string& name = "sub/f.bin")
    {
        return fileDownloader(name).download([](double, std::optional<double>) {});
    }
    std::string record(const std::string& name = "sub/f.bin") const
    {
        return Platform::readFile(metadataFolder() / (name + ".metadata"));
    }
};

template <class Call>
EnvironmentError environmentErrorOf(Call call)
{
    try {
        call();
    } catch (const EnvironmentError& error) {
        return error;
    }
    throw std::logic_error("no EnvironmentError");
}

} // namespace

TEST_F(HubFileDownloaderTest, BuildsTheResolveAddressByKindWithTheRevisionAsOneSegment)
{
    auto downloader = fileDownloader("sub/f.bin");
    downloader.revision = "refs/pr/1";
    EXPECT_EQ(downloader.source(), server.endpoint() + "/owner/model/resolve/refs%2Fpr%2F1/sub/f.bin");
    downloader.repo.type = RepoType::datasets;
    EXPECT_EQ(downloader.source(), server.endpoint() + "/datasets/owner/model/resolve/refs%2Fpr%2F1/sub/f.bin");
}

TEST_F(HubFileDownloaderTest, KeepsACopyOfTheSameCommitUntouchedAndFetchesAMissingOne)
{
    serveFile("sub/f.bin", "content", "etag1");
    EXPECT_EQ(download(), repoFolder() / "sub/f.bin");
    EXPECT_EQ(Platform::readFile(repoFolder() / "sub/f.bin"), "content");
    EXPECT_THAT(record(), testing::StartsWith(commit + "\netag1\n"));
    const std::string first = record();

    download();
    EXPECT_EQ(getRequests(), 1u);
    EXPECT_EQ(record(), first);

    std::filesystem::remove(repoFolder() / "sub/f.bin");
    download();
    EXPECT_EQ(getRequests(), 2u);
    EXPECT_EQ(Platform::readFile(repoFolder() / "sub/f.bin"), "content");
}

TEST_F(HubFileDownloaderTest, ConfirmsACopyByItsEtagOrItsContent)
{
    serveFile("sub/f.bin", "content", "etag1");
    download();
    serveFile("sub/f.bin", "content", "etag1", {}, std::string(40, 'd'));
    download();
    EXPECT_EQ(getRequests(), 1u);
    EXPECT_THAT(record(), testing::StartsWith(std::string(40, 'd') + "\netag1\n"));

    // No record, but the content is what a SHA-256 etag names.
    writeFile(repoFolder() / "g.bin", "local");
    serveFile("g.bin", "local", sha256Hex("local"));
    download("g.bin");
    EXPECT_EQ(getRequests(), 1u);
    EXPECT_THAT(record("g.bin"), testing::StartsWith(commit + "\n" + sha256Hex("local") + "\n"));

    // An etag of another form is never compared with the content.
    writeFile(repoFolder() / "h.bin", "stale");
    serveFile("h.bin", "fresh", "plain-etag");
    download("h.bin");
    EXPECT_EQ(getRequests(), 2u);
    EXPECT_EQ(Platform::readFile(repoFolder() / "h.bin"), "fresh");
}

TEST_F(HubFileDownloaderTest, NeedsTheCommitEtagAndSizeFromTheServer)
{
    const std::string name = "owner/model/resolve/main/f.bin";
    const std::vector<LoopbackHTTPServer::Response> incomplete = {
        {.body = "x", .extraHeaders = "ETag: \"e\"\r\n"},
        {.body = "x", .extraHeaders = "X-Repo-Commit: " + commit + "\r\n"},
        {.body = "x", .extraHeaders = "X-Repo-Commit: " + commit + "\r\nETag: \"e\"\r\n", .declareLength = false},
    };
    for (const auto& response : incomplete) {
        server.respond("/" + name, response);
        const EnvironmentError error = environmentErrorOf([&] { download("f.bin"); });
        EXPECT_STREQ(error.what(), "Invalid metadata: File metadata must have been retrieved from server");
    }
}

TEST_F(HubFileDownloaderTest, RefusesNamesThatLeadOutOfTheCache)
{
    for (const std::string name : {"../escape.bin", "a/../../escape.bin", "/etc/escape.bin"})
        EXPECT_EQ(environmentErrorOf([&] { download(name); }).kind(), EnvironmentError::Kind::invalidMetadataError)
            << name;
    serveFile("f.bin", "x", "../../up");
    EXPECT_EQ(environmentErrorOf([&] { download("f.bin"); }).kind(), EnvironmentError::Kind::invalidMetadataError);
    EXPECT_EQ(getRequests(), 0u);
    EXPECT_FALSE(std::filesystem::exists(folder / "escape.bin"));
}

TEST_F(HubFileDownloaderTest, ContinuesAnInterruptedDownloadAndKeepsItWhenCancelled)
{
    const std::string body(4000, 'b');
    serveFile("f.bin", body, "etag2", {.honourRange = true});
    writeFile(metadataFolder() / "f.bin.etag2.incomplete", body.substr(0, 1500));
    download("f.bin");
    EXPECT_EQ(server.requests().back().headers.at("range"), "bytes=1500-");
    EXPECT_EQ(Platform::readFile(repoFolder() / "f.bin"), body);

    const std::string slow(100 * 1024, 's');
    serveFile("slow.bin", slow, "etag3", {.drip = std::chrono::milliseconds(20)});
    // Cancelled from another thread once the transfer is under way, as a user
    // would.
    std::stop_source stop;
    std::atomic<bool> underWay{false};
    std::jthread canceller([&](std::stop_token own) {
        while (!underWay && !own.stop_requested())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        stop.request_stop();
    });
    EXPECT_THROW(
        fileDownloader("slow.bin").download([&](double, std::optional<double>) { underWay = true; }, stop.get_token()),
        Platform::TransferCancelled);
    EXPECT_TRUE(std::filesystem::exists(metadataFolder() / "slow.bin.etag3.incomplete"));
    EXPECT_FALSE(std::filesystem::exists(metadataFolder() / "slow.bin.metadata"));
}

TEST_F(HubFileDownloaderTest, AsksTheHubEvenWithACachedCopy)
{
    serveFile("f.bin", "content", "etag1");
    download("f.bin");
    auto downloader = fileDownloader("f.bin");
    downloader.endpoint = "http://127.0.0.1:9";
    EXPECT_THROW(downloader.download({}), Platform::NetworkError);
}

#include "Hub/Api/HubApi.h"
#include "Hub/Download/HubFileFixture.h"
#include "Platform/Files/ReadFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace Hub;
using TestSupport::sha256Hex;
using TestSupport::writeFile;

namespace {

class SnapshotTest : public TestSupport::HubFileFixture, public testing::Test {
protected:
    std::filesystem::path offlineSnapshot() const
    {
        return client(true).snapshot(Repo{repoId}, "main", std::vector<std::string>{"*.json"});
    }

    std::string offlineFailure() const
    {
        try {
            offlineSnapshot();
        } catch (const EnvironmentError& error) {
            return error.what();
        }
        return "no error";
    }
};

} // namespace

TEST_F(SnapshotTest, OfflineChecksEveryCachedFileWithoutAsking)
{
    EXPECT_EQ(offlineFailure(), "Offline mode error: Repository not available locally");
    std::filesystem::create_directories(metadataFolder());
    EXPECT_EQ(offlineFailure(), "Offline mode error: No files available locally for this repository");

    // Files that match no pattern are checked too; a 40-digit tag is not a hash.
    writeFile(repoFolder() / "weights.bin", "modified");
    HubApi::writeDownloadMetadata(commit, std::string(40, 'a'), metadataFolder() / "weights.bin.metadata");
    writeFile(repoFolder() / "sub/config.json", "{}");
    EXPECT_EQ(offlineFailure(), "Offline mode error: Metadata not available for config.json");
    HubApi::writeDownloadMetadata(commit, sha256Hex("{ }"), metadataFolder() / "sub/config.json.metadata");
    EXPECT_EQ(offlineFailure(), "File integrity check failed: Hash mismatch for config.json");
    HubApi::writeDownloadMetadata(commit, sha256Hex("{}"), metadataFolder() / "sub/config.json.metadata");
    EXPECT_EQ(offlineSnapshot(), repoFolder());
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(SnapshotTest, OnlineWeighsEveryFileTheSame)
{
    server.respondListing("models", repoId, "main", {"a.bin", "b.bin", "c.bin"});
    serveFile("a.bin", "aaaa", "ea");
    serveFile("b.bin", "bbbb", "eb", {.honourRange = true});
    serveFile("c.bin", "cccc", "ec");
    // Half of b.bin arrived earlier, so its first report is halfway.
    writeFile(metadataFolder() / "b.bin.eb.incomplete", "bb");
    std::vector<double> fractions;
    const auto folder =
        client().snapshot(Repo{repoId}, "main", std::vector<std::string>{}, [&](const Platform::Progress& progress) {
            EXPECT_EQ(progress.totalUnitCount(), 3);
            fractions.push_back(progress.fractionCompleted());
        });
    EXPECT_EQ(folder, repoFolder());
    EXPECT_THAT(fractions, testing::ElementsAre(0.0, 0.5, testing::DoubleEq(2.0 / 3), 1.0));
    EXPECT_EQ(Platform::readFile(repoFolder() / "b.bin"), "bbbb");
}

TEST_F(SnapshotTest, PatternsMatchingNothingReportOnceAndFetchNothing)
{
    server.respondListing("models", repoId, "main", {"a.bin"});
    std::vector<std::int64_t> totals;
    const auto folder =
        client().snapshot(repoId, "main", std::string("*.json"),
                          [&](const Platform::Progress& progress) { totals.push_back(progress.totalUnitCount()); });
    EXPECT_EQ(folder, repoFolder());
    EXPECT_THAT(totals, testing::ElementsAre(0));
    EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST_F(SnapshotTest, ASpeedHandlerSeesNoSpeedBeforeOneIsReported)
{
    server.respondListing("models", repoId, "main", {"a.bin"});
    serveFile("a.bin", "aaaa", "ea");
    std::vector<std::optional<double>> speeds;
    client().snapshot(Repo{repoId}, "main", std::string("a.bin"),
                      [&](const Platform::Progress&, std::optional<double> speed) { speeds.push_back(speed); });
    EXPECT_THAT(speeds, testing::ElementsAre(std::nullopt, std::nullopt));
}

TEST_F(SnapshotTest, CancellingEndsWithTheCancellationError)
{
    server.respondListing("models", repoId, "main", {"a.bin", "b.bin"});
    serveFile("a.bin", std::string(100 * 1024, 'a'), "ea", {.drip = std::chrono::milliseconds(20)});
    serveFile("b.bin", "bbbb", "eb");
    std::stop_source stop;
    std::atomic<bool> underWay{false};
    std::jthread canceller([&](std::stop_token own) {
        while (!underWay && !own.stop_requested())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        stop.request_stop();
    });
    EXPECT_THROW(client().snapshot(
                     Repo{repoId}, "main", std::vector<std::string>{},
                     [&](const Platform::Progress&) { underWay = true; }, stop.get_token()),
                 Platform::TransferCancelled);
    EXPECT_FALSE(std::filesystem::exists(repoFolder() / "b.bin"));
}

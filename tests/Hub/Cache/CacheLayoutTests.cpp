#include "Hub/Api/HubApi.h"
#include "Hub/Cache/FileListing.h"
#include "Hub/HubClientError.h"
#include "Support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

using namespace Hub;
using TestSupport::TemporaryFolder;
using TestSupport::writeFile;

TEST(CacheLayoutTest, ListsVisibleFilesAtAnyDepthButNothingHidden)
{
    TemporaryFolder folder;
    writeFile(folder / "config.json", "{}");
    writeFile(folder / "model/weights.bin", "w");
    writeFile(folder / ".hidden", "h");
    writeFile(folder / "model/.partial", "p");
    writeFile(folder / ".cache/modelhub/download/config.json.metadata", "m");
    std::filesystem::create_directories(folder / "empty");
    EXPECT_THAT(getFileUrls(folder.path()),
                testing::UnorderedElementsAre(folder / "config.json", folder / "model/weights.bin"));
    EXPECT_THAT(getFileUrls(folder / "absent"), testing::IsEmpty());
}

TEST(CacheLayoutTest, PlacesRepositoriesByKindAndReadsTheirJSONFiles)
{
    TemporaryFolder folder;
    const HubApi client(folder.path(), "", "http://127.0.0.1:9");
    const Repo dataset{"owner/data", RepoType::datasets};
    EXPECT_EQ(client.localRepoLocation(dataset), folder / "datasets/owner/data");
    EXPECT_EQ(client.localRepoLocation({"owner/model"}), folder / "models/owner/model");

    writeFile(folder / "datasets/owner/data/sub/config.json", R"({"hidden_size": 8})");
    EXPECT_EQ(client.configuration("sub/config.json", dataset)["hiddenSize"].integer(), 8);
    writeFile(folder / "datasets/owner/data/broken.json", "{");
    EXPECT_THROW(client.configuration("broken.json", dataset), HubClientError);
}

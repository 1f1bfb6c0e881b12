#include "Hub/Download/PartialFile.h"
#include "Platform/Crypto/SHA256.h"
#include "Platform/Files/ReadFile.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>

using Hub::PartialFile;

TEST(PartialFileTest, HashesWhatItHeldAndWhatIsAppendedAsOneContent)
{
    TestSupport::TemporaryFolder folder;
    const auto path = folder / "f.incomplete";
    std::ofstream(path, std::ios::binary) << "held ";
    PartialFile file(path, true);
    EXPECT_EQ(file.size(), 5);
    file.append("and appended");
    EXPECT_EQ(file.size(), 17);
    file.close();
    EXPECT_EQ(Platform::readFile(path), "held and appended");
    EXPECT_EQ(file.finishHash(), Platform::hexString(Platform::SHA256::digest("held and appended")));
}

TEST(PartialFileTest, StartsOverWhenEmptiedAndHashesOnlyWhenAsked)
{
    TestSupport::TemporaryFolder folder;
    const auto path = folder / "f.incomplete";
    std::ofstream(path, std::ios::binary) << "stale";
    PartialFile hashed(path, true);
    hashed.truncate();
    hashed.append("fresh");
    hashed.close();
    EXPECT_EQ(Platform::readFile(path), "fresh");
    EXPECT_EQ(hashed.finishHash(), Platform::hexString(Platform::SHA256::digest("fresh")));

    PartialFile plain(path, false);
    EXPECT_EQ(plain.size(), 5);
    EXPECT_EQ(plain.finishHash(), std::nullopt);
    EXPECT_THROW(PartialFile(folder / "absent", false), std::system_error);
}

#include "Hub/Download/PartialFile.h"
#include "Platform/Crypto/SHA256.h"
#include "Platform/Files/ReadFile.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

using Hub::PartialFile;

namespace {

std::string sha256Hex(std::string_view bytes)
{
    return Platform::hexString(Platform::SHA256::digest(bytes));
}

} // namespace

TEST(PartialFileTest, HashesWhatItHeldAndWhatIsWrittenAsOneContent)
{
    TestSupport::TemporaryFolder folder;
    const auto path = folder / "f.incomplete";
    TestSupport::writeFile(path, "held ");
    // A small batch, so gathering outgrows it and the bytes move.
    PartialFile file(path, true, 4);
    EXPECT_EQ(file.size(), 5);
    std::string written = "held ";
    for (int batch = 0; batch < 50; ++batch) {
        const std::string bytes(20'000 + batch, static_cast<char>('a' + batch % 26));
        file.gather(bytes);
        file.gather("|");
        file.writeBatch();
        written += bytes + "|";
    }
    EXPECT_EQ(file.size(), static_cast<std::int64_t>(written.size()));
    EXPECT_EQ(file.pending(), 0u);
    file.close();
    EXPECT_EQ(Platform::readFile(path), written);
    EXPECT_EQ(file.finishHash(), sha256Hex(written));
}

TEST(PartialFileTest, LeavesDiscardedAndTruncatedBytesOutOfTheDigest)
{
    TestSupport::TemporaryFolder folder;
    const auto path = folder / "f.incomplete";
    TestSupport::writeFile(path, "stale");
    PartialFile hashed(path, true, 1024);
    hashed.gather("lost");
    hashed.discardBatch();
    hashed.gather("kept");
    hashed.writeBatch();
    EXPECT_EQ(hashed.size(), 9);
    hashed.truncate();
    hashed.gather("fresh");
    hashed.writeBatch();
    hashed.gather("never written");
    hashed.close();
    EXPECT_EQ(Platform::readFile(path), "fresh");
    EXPECT_EQ(hashed.finishHash(), sha256Hex("fresh"));

    PartialFile plain(path, false, 1024);
    EXPECT_EQ(plain.size(), 5);
    EXPECT_EQ(plain.finishHash(), std::nullopt);
    EXPECT_THROW(PartialFile(folder / "absent", false, 1024), std::system_error);
}

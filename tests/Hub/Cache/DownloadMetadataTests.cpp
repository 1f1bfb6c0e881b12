#include "Hub/Api/HubApi.h"
#include "Hub/HubClientError.h"
#include "Platform/Crypto/SHA256.h"
#include "Platform/Files/ReadFile.h"
#include "Support/LogCapture.h"
#include "Support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

using namespace Hub;
using TestSupport::TemporaryFolder;
using TestSupport::writeFile;

namespace {

struct RecordCase {
    std::string text;
    std::optional<LocalDownloadFileMetadata> expected;
};

} // namespace

TEST(DownloadMetadataTest, ReadsThreeTrimmedLinesAndDropsWhatItCannotTrust)
{
    const std::vector<RecordCase> cases = {
        {"abc\netag\n1700000000.5\n", LocalDownloadFileMetadata{"abc", "etag", "f.bin", 1700000000.5}},
        {"  abc \t\n etag \n 17 \nextra\n", LocalDownloadFileMetadata{"abc", "etag", "f.bin", 17}},
        {"abc\u2028etag\u0085"
         "1e3",
         LocalDownloadFileMetadata{"abc", "etag", "f.bin", 1000}},
        {"\n\n0", LocalDownloadFileMetadata{"", "", "f.bin", 0}},
        // Carriage return and line feed are two breaks: the time lands on "etag".
        {"abc\r\netag\r\n1.0\r\n", std::nullopt},
        {"abc\netag\nsoon\n", std::nullopt},
        {"abc\netag\n\n", std::nullopt},
        {"abc\xff\netag\n1.0\n", std::nullopt},
    };
    TemporaryFolder folder;
    const auto path = folder / "sub/f.bin.metadata";
    for (const RecordCase& record : cases) {
        writeFile(path, record.text);
        EXPECT_EQ(HubApi::readDownloadMetadata(path), record.expected) << record.text;
        EXPECT_EQ(std::filesystem::exists(path), record.expected.has_value()) << record.text;
    }
    EXPECT_EQ(HubApi::readDownloadMetadata(folder / "none.metadata"), std::nullopt);
}

TEST(DownloadMetadataTest, LogsWhyARecordIsRemoved)
{
    TemporaryFolder folder;
    const auto path = folder / "f.bin.metadata";
    writeFile(path, "abc\netag");
    TestSupport::LogCapture log;
    EXPECT_EQ(HubApi::readDownloadMetadata(path), std::nullopt);
    EXPECT_THAT(log.lines, testing::ElementsAre("Invalid metadata file file://" + path.string() +
                                                ": Invalid metadata: Metadata file is missing required fields. "
                                                "Removing it from disk and continuing."));

    // A folder in the record's place can be neither read nor removed.
    writeFile(folder / "g.bin.metadata/inside", "x");
    try {
        HubApi::readDownloadMetadata(folder / "g.bin.metadata");
        FAIL() << "no error";
    } catch (const EnvironmentError& error) {
        EXPECT_EQ(error.kind(), EnvironmentError::Kind::invalidMetadataError);
        EXPECT_THAT(error.what(), testing::StartsWith("Invalid metadata: Could not remove corrupted metadata file: "));
    }
    EXPECT_THAT(log.lines.back(), testing::StartsWith("Error reading metadata file file://"));
}

TEST(DownloadMetadataTest, WritesARecordThatReadsBackWithItsFolder)
{
    TemporaryFolder folder;
    const auto path = folder / "a/b/f.bin.metadata";
    const double before = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    HubApi::writeDownloadMetadata("c0ffee", "etag", path);
    const auto record = HubApi::readDownloadMetadata(path);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->commitHash, "c0ffee");
    EXPECT_EQ(record->etag, "etag");
    EXPECT_EQ(record->filename, "f.bin");
    EXPECT_GE(record->timestamp, std::floor(before));
    const std::string text = Platform::readFile(path);
    EXPECT_THAT(text, testing::MatchesRegex("c0ffee\netag\n[0-9]+\\.[0-9]+\n"));

    writeFile(folder / "blocked", "a file where the folder should be");
    EXPECT_THROW(HubApi::writeDownloadMetadata("c", "e", folder / "blocked/f.metadata"), EnvironmentError);
}

TEST(DownloadMetadataTest, RecognisesOnlyWellFormedHashes)
{
    const std::string sha(64, 'a');
    const std::vector<std::pair<std::string, bool>> cases = {
        {sha, true},
        {"0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef", true},
        {sha.substr(1), false},
        {sha + "a", false},
        {"A" + sha.substr(1), false},
        {"g" + sha.substr(1), false},
    };
    const HubApi client(std::filesystem::temp_directory_path(), "", "http://127.0.0.1:9");
    for (const auto& [hash, valid] : cases)
        EXPECT_EQ(HubApi::isValidHash(hash, client.sha256Pattern), valid) << hash;
    EXPECT_TRUE(HubApi::isValidHash(std::string(40, '0'), client.commitHashPattern));
    EXPECT_FALSE(HubApi::isValidHash(sha, "[unclosed"));
}

TEST(DownloadMetadataTest, HashesFilesAndNamesAMissingOne)
{
    TemporaryFolder folder;
    writeFile(folder / "empty", "");
    writeFile(folder / "large", std::string(3 * 1'048'576 + 5, 'x'));
    EXPECT_EQ(HubApi::computeFileHash(folder / "empty"),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(HubApi::computeFileHash(folder / "large"),
              Platform::hexString(Platform::SHA256::digest(std::string(3 * 1'048'576 + 5, 'x'))));
    try {
        HubApi::computeFileHash(folder / "dir/f.bin");
        FAIL() << "no error";
    } catch (const HubClientError& error) {
        EXPECT_EQ(error.kind(), HubClientError::Kind::fileNotFound);
        EXPECT_STREQ(error.what(), "File not found: f.bin");
    }
}

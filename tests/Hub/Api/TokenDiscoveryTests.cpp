#include "Hub/Api/TokenDiscovery.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

using namespace Hub;
using TestSupport::ScopedEnvironment;
using TestSupport::TemporaryFolder;

namespace {

// A home folder of its own and none of the token variables set.
class TokenDiscoveryTest : public testing::Test {
protected:
    void write(const std::filesystem::path& relative, const std::string& contents)
    {
        const std::filesystem::path path = home.path() / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << contents;
    }

    TemporaryFolder home;
    ScopedEnvironment homeVariable{"HOME", home.path().string()};
    ScopedEnvironment hubToken{"HUB_TOKEN", std::nullopt};
    ScopedEnvironment modelHubToken{"MODEL_HUB_TOKEN", std::nullopt};
    ScopedEnvironment tokenPath{"HUB_TOKEN_PATH", std::nullopt};
    ScopedEnvironment hubHome{"HUB_HOME", std::nullopt};
};

} // namespace

TEST_F(TokenDiscoveryTest, TakesTheFirstSourceWithATrimmedValueInOrder)
{
    EXPECT_EQ(discoverHubToken(), std::nullopt);

    write(".modelhub/token", "last\n");
    EXPECT_EQ(discoverHubToken(), "last");
    write(".cache/modelhub/token", "abc\n");
    EXPECT_EQ(discoverHubToken(), "abc");
    write("hub/token", " \thome-token\r\n");
    ScopedEnvironment home{"HUB_HOME", "~/hub"};
    EXPECT_EQ(discoverHubToken(), "home-token");
    write("named", "named-token");
    ScopedEnvironment path{"HUB_TOKEN_PATH", "~/named"};
    EXPECT_EQ(discoverHubToken(), "named-token");
    ScopedEnvironment second{"MODEL_HUB_TOKEN", "second"};
    EXPECT_EQ(discoverHubToken(), "second");
    ScopedEnvironment first{"HUB_TOKEN", " first "};
    EXPECT_EQ(discoverHubToken(), "first");
}

TEST_F(TokenDiscoveryTest, PassesOverEmptyValuesAndFilesThatCannotBeRead)
{
    ScopedEnvironment empty{"HUB_TOKEN", ""};
    ScopedEnvironment blank{"MODEL_HUB_TOKEN", " \n"};
    ScopedEnvironment missing{"HUB_TOKEN_PATH", (home.path() / "absent").string()};
    ScopedEnvironment folder{"HUB_HOME", home.path().string()};
    std::filesystem::create_directories(home.path() / "token"); // a folder where the file would be
    write(".cache/modelhub/token", "\xff\xfe");
    write(".modelhub/token", "found");
    EXPECT_EQ(discoverHubToken(), "found");
}

TEST_F(TokenDiscoveryTest, RefusesAValueWithAControlCharacterNamingOnlyItsSource)
{
    write(".cache/modelhub/token", "a\x01"
                                   "b\n");
    write(".modelhub/token", "fallback");
    testing::internal::CaptureStderr();
    EXPECT_EQ(discoverHubToken(), std::nullopt);
    const std::string line = testing::internal::GetCapturedStderr();
    EXPECT_NE(line.find((home.path() / ".cache/modelhub/token").string()), std::string::npos) << line;
    EXPECT_EQ(line.find("a\x01"), std::string::npos) << line;

    ScopedEnvironment variable{"HUB_TOKEN", "x\ty"};
    testing::internal::CaptureStderr();
    EXPECT_EQ(discoverHubToken(), std::nullopt);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("HUB_TOKEN"), std::string::npos);
}

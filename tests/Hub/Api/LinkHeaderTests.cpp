#include "Hub/Api/LinkHeader.h"

#include <gtest/gtest.h>

using namespace Hub;

TEST(LinkHeader, GivesTheTargetOfTheFirstLinkWithTheRelation)
{
    const struct {
        const char* name;
        const char* value;
        std::optional<std::string> target;
    } cases[] = {
        {"Link", R"(<https://a/next>; rel="next", <https://a/auth>; rel="xet-auth")", "https://a/auth"},
        {"link", "<https://a/auth>; rel=xet-auth", "https://a/auth"},
        {"Link", R"(rel="xet-auth" https://a/bare, <https://a/second>; rel="xet-auth")", "https://a/second"},
        {"Link", R"(>https://a/backwards<; rel="xet-auth")", std::nullopt},
        {"Link", R"(<https://a/next>; rel="next")", std::nullopt},
        {"Link", "", std::nullopt},
        {"Other", R"(<https://a/auth>; rel="xet-auth")", std::nullopt},
    };
    for (const auto& c : cases) {
        Platform::HTTPResponse response;
        response.headers = {{c.name, c.value}};
        EXPECT_EQ(getLinkURL(response, "xet-auth"), c.target) << c.name << ": " << c.value;
    }
}

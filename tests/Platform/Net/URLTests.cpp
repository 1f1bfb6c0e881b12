#include "Platform/Net/URL.h"

#include <gtest/gtest.h>

using Platform::URL;

TEST(URL, ParsesOnlyAbsoluteURLsWithAHost)
{
    const struct {
        const char* text;
        bool parses;
    } cases[] = {
        {"https://hub.example.invalid", true},
        {"http://user@127.0.0.1:8080/a/b?q=1#top", true},
        {"http://[::1]:80/", true},
        {"", false},
        {"/api/models", false},
        {"hub.example.invalid/api", false},
        {"http:///path", false},
        {"http://host/a b", false},
        {"http://host/a\nb", false},
        {"1http://host", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(URL::parse(c.text).has_value(), c.parses) << c.text;
}

TEST(URL, KeepsEveryPartWhenWrittenOutAgain)
{
    const auto url = URL::parse("http://user@host:8080/a%20b/c?q=1&r=2#top");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->string(), "http://user@host:8080/a%20b/c?q=1&r=2#top");
    EXPECT_EQ(url->authority(), "user@host:8080");
    EXPECT_EQ(url->path(), "/a%20b/c");
    EXPECT_EQ(url->query(), "q=1&r=2");
    EXPECT_EQ(url->replacingPathAndQuery("/x", std::nullopt).string(), "http://user@host:8080/x#top");
}

TEST(URL, AppendsComponentsEncodedAndPathsBySegment)
{
    const URL base = *URL::parse("http://host:1/base/");
    EXPECT_EQ(base.appendingPathComponent("refs/pr/1").string(), "http://host:1/base/refs%2Fpr%2F1");
    EXPECT_EQ(base.appendingPath("a/b c/config.json").string(), "http://host:1/base/a/b%20c/config.json");
    EXPECT_EQ(URL::parse("http://host")->appendingPath("api").appendingPathComponent("50%?#").string(),
              "http://host/api/50%25%3F%23");
    EXPECT_EQ(base.appendingPath("a/b c").lastPathComponent(), "b c");
    EXPECT_EQ(URL::parse("http://host")->lastPathComponent(), "");
}

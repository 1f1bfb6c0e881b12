#include "Hub/Api/DefaultEndpoint.h"
#include "Hub/Api/FileMetadata.h"

#include <gtest/gtest.h>

using namespace Hub;

namespace {

Platform::HTTPResponse answer(long status, Platform::HTTPHeaders headers, std::string url = "http://h/final")
{
    Platform::HTTPResponse response;
    response.statusCode = status;
    response.url = std::move(url);
    response.headers = std::move(headers);
    return response;
}

} // namespace

TEST(FileMetadata, NormalisesEtagsAndReadsOnlyPlainSignedSizes)
{
    EXPECT_EQ(normalizeEtag(std::nullopt), std::nullopt);
    const std::pair<const char*, const char*> etags[] = {
        {"W/\"abc\"", "abc"}, {"\"abc\"", "abc"}, {"\"\"", ""}, {"\"W/abc\"", "W/abc"}, {"w/\"abc\"", "w/\"abc"},
    };
    for (const auto& [etag, normalised] : etags)
        EXPECT_EQ(normalizeEtag(etag), normalised) << etag;

    const std::pair<const char*, std::optional<std::int64_t>> sizes[] = {
        {"12", 12},
        {"+12", 12},
        {"-5", -5},
        {" 12", std::nullopt},
        {"12 ", std::nullopt},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"+-5", std::nullopt},
        {"+", std::nullopt},
        {"9223372036854775808", std::nullopt},
    };
    for (const auto& [text, size] : sizes)
        EXPECT_EQ(parseSize(text), size) << '"' << text << '"';
}

TEST(FileMetadata, ReadsTheLinkedHeadersFirst)
{
    const FileMetadata linked = fileMetadataFromResponse(answer(200, {{"ETag", "\"plain\""},
                                                                      {"x-linked-etag", "W/\"linked\""},
                                                                      {"Content-Length", "7"},
                                                                      {"X-Linked-Size", "99"},
                                                                      {"X-Repo-Commit", "c0ffee"}}),
                                                         "http://h/asked", defaultEndpoint);
    EXPECT_EQ(linked, (FileMetadata{"c0ffee", "linked", "http://h/final", 99, std::nullopt}));

    // A linked size that is no number leaves the size unknown, whatever the length says.
    const FileMetadata unreadable = fileMetadataFromResponse(
        answer(200, {{"X-Linked-Size", "abc"}, {"Content-Length", "7"}}), "http://h/asked", defaultEndpoint);
    EXPECT_EQ(unreadable.size, std::nullopt);
    EXPECT_EQ(unreadable.etag, std::nullopt);
    EXPECT_EQ(unreadable.commitHash, std::nullopt);
}

TEST(FileMetadata, TakesTheLocationOfA302ElseWhereTheAnswerCameFrom)
{
    const struct {
        long status;
        Platform::HTTPHeaders headers;
        std::string answeredFrom;
        std::string location;
    } cases[] = {
        {302, {{"Location", "https://cdn/x"}}, "http://h/asked", "https://cdn/x"},
        {302, {}, "http://h/asked", "http://h/asked"},
        {307, {{"Location", "https://cdn/x"}}, "http://h/asked", "http://h/asked"},
        {200, {}, "http://h/followed", "http://h/followed"},
        {200, {}, "", "http://h/asked"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(
            fileMetadataFromResponse(answer(c.status, c.headers, c.answeredFrom), "http://h/asked", defaultEndpoint)
                .location,
            c.location)
            << c.status;
}

TEST(FileMetadata, NeedsBothAXetHashAndARouteAndMovesDefaultRoutesOntoTheEndpoint)
{
    const std::string defaultRoute = std::string(defaultEndpoint) + "/api/models/m/xet-read-token/abc";
    const struct {
        Platform::HTTPHeaders headers;
        std::string endpoint;
        std::optional<XetFileData> expected;
    } cases[] = {
        {{{"X-Xet-Hash", "h1"}}, "http://127.0.0.1:9", std::nullopt},
        {{{"X-Xet-Refresh-Route", "http://r"}}, "http://127.0.0.1:9", std::nullopt},
        {{{"x-xet-hash", "h1"}, {"x-xet-refresh-route", "http://other/route"}},
         "http://127.0.0.1:9",
         XetFileData{"h1", "http://other/route"}},
        {{{"x-xet-hash", "h1"}, {"X-Xet-Refresh-Route", defaultRoute}},
         "http://127.0.0.1:9/",
         XetFileData{"h1", "http://127.0.0.1:9/api/models/m/xet-read-token/abc"}},
        {{{"x-xet-hash", "h1"},
          {"X-Xet-Refresh-Route", "http://other/route"},
          {"link", "<" + defaultRoute + ">; rel=\"xet-auth\""}},
         "http://127.0.0.1:9",
         XetFileData{"h1", "http://127.0.0.1:9/api/models/m/xet-read-token/abc"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseXetFileDataFromResponse(answer(200, c.headers), c.endpoint), c.expected)
            << c.headers.front().first;
}

#include "Hub/HubClientError.h"
#include "Hub/Repo.h"
#include "Platform/JSON/JSONDocument.h"

#include <gtest/gtest.h>

#include <system_error>

using namespace Hub;

namespace {

template <class Error>
std::exception_ptr caught(const Error& error)
{
    try {
        throw error;
    } catch (...) {
        return std::current_exception();
    }
}

} // namespace

TEST(HubClientError, DescribesEachCaseInWords)
{
    const std::exception_ptr refused = caught(std::runtime_error("Connection refused"));
    const struct {
        HubClientError error;
        const char* description;
    } cases[] = {
        {HubClientError::httpStatusCode(503), "HTTP error with status code: 503"},
        {HubClientError::jsonSerialization("/tmp/config.json", "The data is not valid JSON."),
         "The data is not valid JSON."},
        {HubClientError::downloadError("timed out"), "Download failed: timed out"},
        {HubClientError::fileNotFound("a.bin"), "File not found: a.bin"},
        {HubClientError::networkError(refused), "Network error: Connection refused"},
        {HubClientError::resourceNotFound("x"), "Resource not found: x"},
        {HubClientError::configurationMissing("tokenizer.json"), "Required configuration file missing: tokenizer.json"},
        {HubClientError::fileSystemError(caught(std::system_error(EACCES, std::generic_category(), "open"))),
         "File system error: open: Permission denied"},
        {HubClientError::parseError("bad"), "Parse error: bad"},
        {HubClientError::authorizationRequired(), "Authentication required. Please provide a valid model hub token."},
        {HubClientError::parse(), "Failed to parse server response."},
        {HubClientError::unexpectedError(), "An unexpected error occurred."},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.error.what(), c.description);

    const HubClientError status = HubClientError::httpStatusCode(503);
    EXPECT_EQ(status.kind(), HubClientError::Kind::httpStatusCode);
    EXPECT_EQ(status.statusCode(), 503);
    EXPECT_EQ(HubClientError::jsonSerialization("/tmp/config.json", "m").fileURL(), "/tmp/config.json");
    EXPECT_STREQ(HubClientError::fileSystemError(nullptr).what(), "File system error: unknown error");
    // The underlying error stays the cause.
    EXPECT_THROW(std::rethrow_exception(HubClientError::networkError(refused).cause()), std::runtime_error);
}

TEST(Repo, TypesByExactNameAndTheJSONForm)
{
    EXPECT_EQ(repoTypeNames.value("spaces"), RepoType::spaces);
    EXPECT_EQ(repoTypeNames.value("Models"), std::nullopt);

    const Repo repo{"a/b", RepoType::datasets};
    rapidjson::Document document;
    const std::string json = Platform::JSON::serialize(repo.toJSON(document.GetAllocator()));
    EXPECT_EQ(json, R"({"id":"a/b","type":"datasets"})");
    EXPECT_EQ(Repo::fromJSON(Platform::JSON::parseDocument(json)), repo);

    for (const char* invalid : {R"({"id":"a/b","type":"Models"})", R"({"id":"a/b"})", R"({"type":"models"})"})
        EXPECT_THROW(Repo::fromJSON(Platform::JSON::parseDocument(invalid)), Platform::JSON::DecodingError) << invalid;
}

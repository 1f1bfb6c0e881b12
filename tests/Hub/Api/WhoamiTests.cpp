#include "Hub/Api/HubApi.h"
#include "Hub/HubClientError.h"
#include "Hub/HubFacade.h"
#include "Support/LoopbackHTTPServer.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace Hub;
using TestSupport::ScopedEnvironment;
using TestSupport::TemporaryFolder;

namespace {

class WhoamiTest : public testing::Test {
protected:
    HubApi client(std::optional<std::string> token) const
    {
        return HubApi(folder / "cache", std::move(token), server.endpoint());
    }

    LoopbackHTTPServer server;
    TemporaryFolder folder;
    ScopedEnvironment home{"HOME", folder.path().string()};
    ScopedEnvironment modelHubToken{"MODEL_HUB_TOKEN", std::nullopt};
};

HubClientError::Kind failureOf(const HubApi& client)
{
    try {
        client.whoami();
    } catch (const HubClientError& error) {
        return error.kind();
    }
    throw std::logic_error("no HubClientError");
}

} // namespace

TEST_F(WhoamiTest, AsksForTheTokensAccountOnlyWithAToken)
{
    ScopedEnvironment noToken{"HUB_TOKEN", std::nullopt};
    EXPECT_EQ(failureOf(client(std::nullopt)), HubClientError::Kind::authorizationRequired);
    EXPECT_TRUE(server.requests().empty());

    server.respondAccount(R"({"name": "someone", "orgs": [{"name": "team"}]})");
    const Config account = client("").whoami();
    EXPECT_EQ(account["name"].string(), "someone");
    EXPECT_EQ(account["orgs"].array()->front()["name"].string(), "team");
    EXPECT_FALSE(server.requests().back().headers.contains("authorization"));

    server.respondAccount(R"(["someone"])");
    EXPECT_EQ(failureOf(client("secret")), HubClientError::Kind::parse);
    server.respond("/api/whoami-v2", {.status = 401});
    EXPECT_EQ(failureOf(client("secret")), HubClientError::Kind::authorizationRequired);
}

TEST_F(WhoamiTest, TheShortcutSendsTheGivenTokenOverTheEnvironments)
{
    ScopedEnvironment otherToken{"HUB_TOKEN", "from-environment"};
    ScopedEnvironment endpoint{"HUB_ENDPOINT", server.endpoint()};
    server.respondAccount(R"({"name": "someone"})");
    EXPECT_EQ(Hub::whoami("given")["name"].string(), "someone");
    EXPECT_EQ(server.requests().back().headers.at("authorization"), "Bearer given");
}

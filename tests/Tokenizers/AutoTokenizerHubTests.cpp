// Tokenizers built from a repository of the loopback hub: its files are
// fetched into the client's cache on a worker thread.
#include "Hub/Download/HubFileFixture.h"
#include "Hub/HubClientError.h"
#include "Tokenizers/AutoTokenizer.h"
#include "Tokenizers/LlamaPreTrainedTokenizer.h"
#include "Tokenizers/TokenizerError.h"

#include <gtest/gtest.h>

using namespace Tokenizers;

namespace {

class AutoTokenizerFromTheHub : public TestSupport::HubFileFixture, public testing::Test {
protected:
    void serveRepository(const std::vector<std::string>& files)
    {
        server.respondListing("models", repoId, "main", files);
        serveFile("tokenizer.json", R"({"model": {"type": "BPE", "merges": [], "vocab": {"a": 1}}})", "e1");
        serveFile("tokenizer_config.json", R"({"tokenizer_class": "LlamaTokenizerFast", "legacy": true})", "e2");
    }
};

} // namespace

TEST_F(AutoTokenizerFromTheHub, BuildsTheClassTheFetchedConfigurationNames)
{
    serveRepository({"tokenizer.json", "tokenizer_config.json"});
    const std::unique_ptr<Tokenizer> tokenizer = AutoTokenizer::from(repoId, client(), true);
    EXPECT_NE(dynamic_cast<const LlamaPreTrainedTokenizer*>(tokenizer.get()), nullptr)
        << "unlike a folder's, a repository's class is chosen";
    EXPECT_EQ(tokenizer->convertTokenToId("a"), 1);
    EXPECT_TRUE(std::filesystem::exists(repoFolder() / "tokenizer_config.json"));
}

TEST_F(AutoTokenizerFromTheHub, NeedsATokenizerConfigurationAndPassesTheHubsErrorsOn)
{
    serveRepository({"tokenizer.json"});
    try {
        AutoTokenizer::from(repoId, client(), true);
        FAIL() << "built without a tokenizer configuration";
    } catch (const TokenizerError& error) {
        EXPECT_EQ(error.kind(), TokenizerError::Kind::missingConfig);
    }
    try {
        AutoTokenizer::from("owner/absent", client(), true);
        FAIL() << "built a repository the hub does not have";
    } catch (const Hub::HubClientError& error) {
        EXPECT_EQ(error.kind(), Hub::HubClientError::Kind::fileNotFound);
    }
}

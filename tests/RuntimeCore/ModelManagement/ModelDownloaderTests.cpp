#include "RuntimeCore/ModelManagement/ModelDownloader.h"

#include "Hub/HubClientError.h"
#include "Support/LogCapture.h"
#include "Support/ModelRepositoryHub.h"
#include "Support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace RuntimeCore;
using testing::Contains;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::UnorderedElementsAre;

namespace {

class ModelDownloaderTest : public testing::Test {
protected:
    static constexpr const char* repo = TestSupport::ModelRepositoryHub::modelRepository;
    static inline const ModelInfo small{"v1", "small", "N", Platform::CoreML::MLComputeUnits::all};

    ModelDownloaderTest()
    {
        hub->addFile("N/v1/small/Encoder.mlmodelc/weights.bin", "encoder");
        hub->addFile("N/v1/small/Encoder.mlmodelc/model.json", "{}");
        hub->addFile("N/v1/tiny/Decoder.mlmodelc/weights.bin", "decoder");
    }

    ModelDownloader downloader(std::optional<std::string> modelFolder = std::nullopt) const
    {
        return ModelDownloader(ModelDownloadConfig{.downloadBase = cache().string(),
                                                   .modelRepo = repo,
                                                   .modelToken = "",
                                                   .modelFolder = std::move(modelFolder),
                                                   .useBackgroundSession = false,
                                                   .endpoint = endpoint,
                                                   .revision = "main"});
    }

    // Resolves the small encoder, recording the states reported.
    std::filesystem::path resolve(bool download, const std::optional<std::filesystem::path>& modelFolder = {})
    {
        states.clear();
        return downloader().resolveModel("Encoder", small, modelFolder, std::nullopt, download,
                                         [this](ModelState state) { states.push_back(state); });
    }

    template <class Operation>
    static std::string failure(Operation operation)
    {
        try {
            operation();
        } catch (const ModelDownloaderError& error) {
            return error.what();
        }
        return "no error";
    }

    std::filesystem::path cache() const { return folder / "cache"; }
    std::filesystem::path repoFolder() const { return cache() / "models" / repo; }
    std::filesystem::path cachedEncoder() const { return repoFolder() / "N/v1/small/Encoder.mlmodelc"; }
    size_t requests() const { return hub->server.requests().size(); }

    // The machine's own network state must not decide whether the loopback
    // hub is asked.
    TestSupport::ScopedEnvironment monitorOff{"CI_DISABLE_NETWORK_MONITOR", "1"};
    TestSupport::TemporaryFolder folder;
    std::optional<TestSupport::ModelRepositoryHub> hub{std::in_place};
    const std::string endpoint = hub->server.endpoint();
    std::vector<ModelState> states;
};

} // namespace

TEST_F(ModelDownloaderTest, ResolveModelTakesTheModelFolderThenTheCacheThenTheHub)
{
    TestSupport::LogCapture log;
    EXPECT_EQ(resolve(true), cachedEncoder());
    EXPECT_THAT(states, ElementsAre(ModelState::downloading, ModelState::downloaded));
    EXPECT_THAT(hub->downloaded(), UnorderedElementsAre("N/v1/small/Encoder.mlmodelc/weights.bin",
                                                        "N/v1/small/Encoder.mlmodelc/model.json"));
    EXPECT_THAT(log.lines, Contains("[ModelDownloader] Downloaded Encoder"));

    const size_t asked = requests();
    EXPECT_EQ(resolve(true), cachedEncoder());
    EXPECT_THAT(states, ElementsAre(ModelState::downloaded));
    EXPECT_THAT(log.lines, Contains("[ModelDownloader] Found existing Encoder in cache"));

    // A local copy wins over the cached one; a package stands in for a
    // compiled model.
    const auto package = folder / "local/N/v1/small/Encoder.mlpackage/Data/com.apple.CoreML/model.mlmodel";
    TestSupport::writeFile(package, "model description");
    EXPECT_EQ(resolve(true, folder / "local"), package);
    EXPECT_THAT(states, IsEmpty());
    EXPECT_EQ(downloader((folder / "local").string()).resolveModelPath("Encoder", small, {}, {}, false),
              package.string());
    EXPECT_THAT(log.lines, Contains("[ModelDownloader] Found Encoder in model folder"));
    EXPECT_EQ(requests(), asked);
}

TEST_F(ModelDownloaderTest, CachedModelIsFoundWithTheHubUnreachable)
{
    resolve(true);
    hub.reset();

    EXPECT_EQ(resolve(false), cachedEncoder());
    EXPECT_THAT(states, ElementsAre(ModelState::downloaded));

    // The cached copy is checked, not merely looked at: without its records it
    // is no copy the cache vouches for.
    std::filesystem::remove_all(repoFolder() / ".cache");
    EXPECT_EQ(failure([&] { resolve(false); }), "No model found for Encoder (download disabled)");
    EXPECT_THAT(states, IsEmpty());
    EXPECT_THROW(resolve(true), Hub::HubClientError);
    EXPECT_THAT(states, ElementsAre(ModelState::downloading));
}

TEST_F(ModelDownloaderTest, ModelMissingAfterTheDownloadIsUnavailable)
{
    states.clear();
    EXPECT_EQ(failure([&] {
                  downloader().resolveModel("Decoder", small, {}, {}, true,
                                            [this](ModelState state) { states.push_back(state); });
              }),
              "No model found for Decoder");
    EXPECT_THAT(states, ElementsAre(ModelState::downloading));
}

TEST_F(ModelDownloaderTest, OfflineDownloadStillAsksTheHubWhichFilesMatch)
{
    TestSupport::LogCapture log;
    const ModelInfo large{"v1", "large", "N", Platform::CoreML::MLComputeUnits::all};
    EXPECT_EQ(failure([&] { downloader().downloadModel(large, std::nullopt, true); }),
              std::string("No models found matching \"N/v1/large/*\" in ") + repo);
    EXPECT_THAT(log.lines, ElementsAre(std::string("[ModelDownloader] Searching for models matching \"N/v1/large/*\" "
                                                   "in Repo(id: ") +
                                       repo + ", type: models)"));

    for (const std::optional<bool> offline : {std::optional<bool>(), std::optional<bool>(false)}) {
        log.lines.clear();
        EXPECT_EQ(downloader().downloadModel(small, std::nullopt, offline), repoFolder());
        EXPECT_THAT(log.lines,
                    ElementsAre("[ModelDownloader] Downloading model N/v1/small/* with offline mode: false"));
    }
    log.lines.clear();
    EXPECT_EQ(downloader().downloadModel(small, std::nullopt, true), repoFolder());
    EXPECT_THAT(log.lines, Contains("[ModelDownloader] Downloading model N/v1/small/* with offline mode: true"));

    hub.reset();
    EXPECT_THROW(downloader().downloadModel(small, std::nullopt, true), Hub::HubClientError);
}

TEST_F(ModelDownloaderTest, ResolveRepoDownloadsOnlyWhenAPatternsFoldersAreMissing)
{
    TestSupport::LogCapture log;
    const std::string refused = std::string("No local models found for repo '") + repo + "' and download is disabled.";
    EXPECT_EQ(downloader().resolveRepo({}, std::nullopt, false), repoFolder());
    EXPECT_FALSE(std::filesystem::exists(repoFolder()));
    EXPECT_EQ(failure([&] { downloader().resolveRepo({"N/v1/*"}, std::nullopt, false); }), refused);
    EXPECT_EQ(requests(), 0u);

    std::vector<double> fractions;
    EXPECT_EQ(downloader().resolveRepo(
                  {"N/v1/tiny/*"}, std::nullopt, true,
                  [&](const Platform::Progress& progress) { fractions.push_back(progress.fractionCompleted()); }),
              repoFolder());
    EXPECT_EQ(fractions.back(), 1.0);
    EXPECT_THAT(hub->downloaded(), ElementsAre("N/v1/tiny/Decoder.mlmodelc/weights.bin"));
    EXPECT_THAT(log.lines, Contains(std::string("[ModelDownloader] Downloading 1 model(s) from ") + repo + "..."));
    EXPECT_THAT(log.lines, Contains("[ModelDownloader] Download complete: " + repoFolder().string()));

    // Only the folders before the first wildcard are looked at, and they must
    // be folders that hold something.
    const size_t asked = requests();
    std::filesystem::create_directories(repoFolder() / "Empty");
    const struct {
        const char* pattern;
        bool local;
    } cases[] = {{"N/v1/*", true},
                 {"N/*/tiny/*", true},
                 {"*/config.json", false},
                 {"Empty/*", false},
                 {"N/v2/*", false},
                 // A file is not a folder that holds something.
                 {"N/v1/tiny/Decoder.mlmodelc/weights.bin", false}};
    for (const auto& c : cases) {
        if (c.local)
            EXPECT_EQ(downloader().resolveRepo({c.pattern}, std::nullopt, false), repoFolder()) << c.pattern;
        else
            EXPECT_EQ(failure([&] {
                          downloader().resolveRepo({"N/v1/*", c.pattern}, std::nullopt, false);
                      }),
                      refused)
                << c.pattern;
    }
    EXPECT_THAT(log.lines, Contains("[ModelDownloader] All models found in local cache at " + repoFolder().string()));
    EXPECT_EQ(requests(), asked);
}

TEST_F(ModelDownloaderTest, FileNamesAndCacheLocationComeFromTheConfiguredRepository)
{
    EXPECT_THAT(
        downloader().fetchFilenames({"N/v1/small/*"}, std::nullopt),
        UnorderedElementsAre("N/v1/small/Encoder.mlmodelc/weights.bin", "N/v1/small/Encoder.mlmodelc/model.json"));
    EXPECT_EQ(downloader().fetchFilenames({}, std::nullopt).size(), 3u);

    const ModelDownloader plain(endpoint, "owner/other", "", "main", false);
    EXPECT_FALSE(plain.config().downloadBase);
    EXPECT_FALSE(plain.config().modelFolder);
    EXPECT_EQ(plain.localRepoLocation(folder / "base"), folder / "base/models/owner/other");
    EXPECT_EQ(downloader().localRepoLocation(std::nullopt), repoFolder());
}

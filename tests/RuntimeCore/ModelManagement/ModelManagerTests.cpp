#include "RuntimeCore/ModelManagement/ModelManager.h"

#include "RuntimeCore/Cancellation.h"
#include "RuntimeCore/RuntimeCoreError.h"
#include "Support/LogCapture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

using namespace RuntimeCore;
using testing::Contains;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::Pair;

namespace {

// A loader that records its calls; a download can be held at a gate, and each
// step can be made to fail.
class ScriptedLoader : public ModelLoader {
public:
    std::optional<std::string> folder;
    std::shared_future<void> gate;
    bool failDownload = false;
    bool failLoad = false;

    std::optional<std::string> modelFolder() const override { return folder; }

    std::string downloadModels(const ModelDownloader&, const ModelDownloader::ProgressCallback&) override
    {
        ++downloads;
        if (gate.valid())
            gate.wait();
        if (failDownload)
            throw std::runtime_error("no network");
        return "/models/downloaded";
    }

    void loadModels(const std::string& path, bool prewarm) override
    {
        {
            std::lock_guard lock(mutex);
            loadCalls.emplace_back(path, prewarm);
        }
        if (failLoad)
            throw std::runtime_error("bad weights");
    }

    void unloadModels() override { ++unloads; }

    std::atomic<int> downloads{0};
    std::atomic<int> unloads{0};
    std::mutex mutex;
    std::vector<std::pair<std::string, bool>> loadCalls;
};

class NamedManager : public ModelManager {
public:
    NamedManager(std::shared_ptr<ModelLoader> loader, std::shared_ptr<ModelDownloader> downloader)
        : ModelManager(std::move(loader), std::move(downloader))
    {
    }
};

struct Transition {
    ModelState from;
    ModelState to;
    bool available;
    bool operator==(const Transition&) const = default;
};

std::ostream& operator<<(std::ostream& stream, const Transition& t)
{
    return stream << t.from << "->" << t.to << (t.available ? " available" : "");
}

class ModelManagerTest : public testing::Test {
protected:
    ModelManagerTest()
    {
        manager->setModelStateCallback([this](ModelState from, ModelState to) {
            // The callback runs with no lock held, so it may read the manager.
            std::lock_guard lock(mutex);
            transitions.push_back({from, to, manager->isAvailable()});
        });
    }

    std::string refusal(void (ModelManager::*step)())
    {
        try {
            (manager.get()->*step)();
        } catch (const RuntimeCoreError& error) {
            return error.what();
        }
        return "no error";
    }

    std::shared_ptr<ScriptedLoader> loader = std::make_shared<ScriptedLoader>();
    std::shared_ptr<ModelDownloader> downloader =
        std::make_shared<ModelDownloader>("http://127.0.0.1:9", "owner/models", "", "main", false);
    std::shared_ptr<ModelManager> manager = ModelManager::make(loader, downloader);
    std::mutex mutex;
    std::vector<Transition> transitions;
};

} // namespace

TEST_F(ModelManagerTest, ModelFolderLoadsWithoutADownload)
{
    loader->folder = "/local/models";
    manager->loadModels();
    EXPECT_THAT(transitions, ElementsAre(Transition{ModelState::unloaded, ModelState::downloaded, true},
                                         Transition{ModelState::downloaded, ModelState::loading, true},
                                         Transition{ModelState::loading, ModelState::loaded, true}));
    EXPECT_EQ(loader->downloads, 0);
    EXPECT_THAT(loader->loadCalls, ElementsAre(Pair("/local/models", false)));
    EXPECT_EQ(manager->modelPath(), "/local/models");
    EXPECT_EQ(manager->modelFolder(), "/local/models");
}

TEST_F(ModelManagerTest, StepsWalkTheLifeCycleAndSkipWhatIsDone)
{
    TestSupport::LogCapture log;
    manager->prewarmModels();
    manager->loadModels();
    EXPECT_THAT(transitions, ElementsAre(Transition{ModelState::unloaded, ModelState::downloading, false},
                                         Transition{ModelState::downloading, ModelState::downloaded, true},
                                         Transition{ModelState::downloaded, ModelState::prewarming, false},
                                         Transition{ModelState::prewarming, ModelState::prewarmed, false},
                                         Transition{ModelState::prewarmed, ModelState::loading, true},
                                         Transition{ModelState::loading, ModelState::loaded, true}));
    EXPECT_THAT(loader->loadCalls, ElementsAre(Pair("/models/downloaded", true), Pair("/models/downloaded", false)));
    EXPECT_THAT(log.lines, ElementsAre("[ModelManager] Starting download process...",
                                       "[ModelManager] Models downloaded to /models/downloaded",
                                       "[ModelManager] Models prewarmed successfully",
                                       "[ModelManager] Models loaded successfully"));

    log.lines.clear();
    transitions.clear();
    manager->downloadModels();
    manager->loadModels();
    manager->setModelState(ModelState::loaded);
    EXPECT_THAT(log.lines, ElementsAre("[ModelManager] Models already downloaded (state: Loaded), skipping download",
                                       "[ModelManager] Models already loaded, skipping"));
    EXPECT_EQ(loader->downloads, 1);
    EXPECT_THAT(transitions, IsEmpty());

    manager->unloadModels();
    manager->unloadModels();
    EXPECT_EQ(loader->unloads, 1);
    EXPECT_THAT(transitions, ElementsAre(Transition{ModelState::loaded, ModelState::unloading, false},
                                         Transition{ModelState::unloading, ModelState::unloaded, false}));
}

TEST_F(ModelManagerTest, RefusedStepsChangeNothing)
{
    loader->folder = "/local/models";
    manager->loadModels();
    EXPECT_EQ(refusal(&ModelManager::prewarmModels), "Cannot prewarm in state: Loaded");
    manager->setModelState(ModelState::downloading);
    EXPECT_EQ(refusal(&ModelManager::loadModels), "Cannot load in state: Downloading");
    EXPECT_EQ(refusal(&ModelManager::prewarmModels), "Cannot prewarm in state: Downloading");
    EXPECT_EQ(manager->modelState(), ModelState::downloading);

    // Without a folder or a download there is nothing to load from.
    auto bare = ModelManager::make(std::make_shared<ScriptedLoader>(), downloader);
    bare->setModelState(ModelState::downloaded);
    for (auto step : {&ModelManager::loadModels, &ModelManager::prewarmModels}) {
        try {
            (bare.get()->*step)();
            ADD_FAILURE() << "no error";
        } catch (const RuntimeCoreError& error) {
            EXPECT_STREQ(error.what(), "No model path available. Call downloadModels() first, or provide modelFolder.");
        }
    }
    bare->unloadModels();
    EXPECT_EQ(bare->modelState(), ModelState::downloaded);
}

TEST_F(ModelManagerTest, FailedStepsReturnToUnloadedAndAreLogged)
{
    auto named = std::shared_ptr<ModelManager>(new NamedManager(loader, downloader));
    TestSupport::LogCapture log;
    loader->failDownload = true;
    EXPECT_THROW(named->loadModels(), std::runtime_error);
    EXPECT_EQ(named->modelState(), ModelState::unloaded);
    loader->failDownload = false;
    loader->failLoad = true;
    EXPECT_THROW(named->loadModels(), std::runtime_error);
    EXPECT_EQ(named->modelState(), ModelState::unloaded);
    EXPECT_EQ(named->modelPath(), "/models/downloaded");
    EXPECT_THROW(named->prewarmModels(), std::runtime_error);
    EXPECT_EQ(loader->downloads, 3);
    EXPECT_THAT(log.lines, Contains("[NamedManager] Failed to download models: no network"));
    EXPECT_THAT(log.lines, Contains("[NamedManager] Failed to load models: bad weights"));
    EXPECT_THAT(log.lines, Contains("[NamedManager] Failed to prewarm models: bad weights"));
}

TEST_F(ModelManagerTest, ConcurrentCallersShareOneDownloadAndLoad)
{
    for (const bool fail : {false, true}) {
        SCOPED_TRACE(fail ? "failing load" : "successful load");
        loader = std::make_shared<ScriptedLoader>();
        loader->failLoad = fail;
        std::promise<void> open;
        loader->gate = open.get_future().share();
        manager = ModelManager::make(loader, downloader);

        std::atomic<int> started{0};
        // Every caller gets the one error object. Its reference count lives in
        // the uninstrumented runtime library, so the callers only keep it and
        // it is read and freed here, after they are joined.
        std::vector<std::exception_ptr> errors(5);
        std::vector<std::thread> callers;
        for (size_t index = 0; index < 5; ++index)
            callers.emplace_back([&, index] {
                ++started;
                try {
                    manager->ensureModelsLoaded();
                } catch (...) {
                    errors[index] = std::current_exception();
                }
            });
        while (started < 5)
            std::this_thread::yield();
        // The download is held until every caller has had ample time to
        // join it; a straggler would start a second download and be caught.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        open.set_value();
        for (std::thread& caller : callers)
            caller.join();

        EXPECT_EQ(loader->downloads, 1);
        EXPECT_EQ(loader->loadCalls.size(), 1u);
        EXPECT_EQ(manager->modelState(), fail ? ModelState::unloaded : ModelState::loaded);
        for (const std::exception_ptr& error : errors)
            EXPECT_EQ(error, errors[0]);
        if (fail) {
            try {
                std::rethrow_exception(errors[0]);
            } catch (const std::runtime_error& error) {
                EXPECT_STREQ(error.what(), "bad weights");
            }
        } else {
            EXPECT_FALSE(errors[0]);
        }
    }
}

TEST_F(ModelManagerTest, ACallerThatStopsWaitingLeavesTheLoadRunning)
{
    std::promise<void> open;
    loader->gate = open.get_future().share();
    std::stop_source stop;
    std::thread impatient([&] { EXPECT_THROW(manager->ensureModelsLoaded(stop.get_token()), CancellationError); });
    stop.request_stop();
    impatient.join();

    open.set_value();
    manager->ensureModelsLoaded();
    EXPECT_TRUE(manager->isLoaded());
    EXPECT_EQ(loader->downloads, 1);
    EXPECT_THAT(loader->loadCalls, ElementsAre(Pair("/models/downloaded", false)));
    // Loaded models need no flight at all.
    manager->ensureModelsLoaded();
    EXPECT_EQ(loader->loadCalls.size(), 1u);
}

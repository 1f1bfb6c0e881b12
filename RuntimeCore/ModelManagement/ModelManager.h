#pragma once

#include "RuntimeCore/ModelManagement/LoadModelsCoordinator.h"
#include "RuntimeCore/ModelManagement/ModelDownloader.h"
#include "RuntimeCore/ModelManagement/ModelLoader.h"
#include "RuntimeCore/Models/ModelState.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>

namespace RuntimeCore {

// Drives one set of models through download, prewarm, load and unload, doing
// the work through its loader. Refused steps throw RuntimeCoreError.
//
// The state, the path and the callback sit behind a lock, so reading them is
// safe from any thread; the steps themselves must not run concurrently with
// each other, except through ensureModelsLoaded(), which any number of
// threads may call at once. Managers live in shared ownership (make()), because
// the load that ensureModelsLoaded() starts keeps its manager alive.
class ModelManager : public std::enable_shared_from_this<ModelManager> {
public:
    // Hears each change of state, after it happened and never for a write of
    // the state it already had. It runs on the changing thread, with no lock
    // held, so it may read the manager.
    using ModelStateCallback = std::function<void(ModelState oldState, ModelState newState)>;

    static std::shared_ptr<ModelManager> make(std::shared_ptr<ModelLoader> loader,
                                              std::shared_ptr<ModelDownloader> downloader);
    virtual ~ModelManager() = default;
    ModelManager(const ModelManager&) = delete;
    ModelManager& operator=(const ModelManager&) = delete;

    ModelState modelState() const;
    void setModelState(ModelState state);
    ModelStateCallback modelStateCallback() const;
    void setModelStateCallback(ModelStateCallback callback);

    std::optional<std::filesystem::path> modelPath() const;
    // The loader's model folder.
    std::optional<std::filesystem::path> modelFolder() const;
    const ModelDownloader& downloader() const { return *downloader_; }
    ModelLoader& loader() const { return *loader_; }

    // Gets the models loaded, downloading them first when needed. Concurrent
    // callers share one download and load and all see its outcome. A stop
    // request ends this caller's wait with CancellationError; the load goes on.
    void ensureModelsLoaded(std::stop_token stop = {});
    // Only from `unloaded`; other states are left alone.
    virtual void downloadModels(const ModelDownloader::ProgressCallback& progressCallback = {});
    virtual void prewarmModels();
    virtual void loadModels();
    // Only from `loaded` or `prewarmed`; other states are left alone.
    virtual void unloadModels();

    // Downloaded and not prewarmed, or loading or loaded.
    bool isAvailable() const;
    bool isLoaded() const;

protected:
    ModelManager(std::shared_ptr<ModelLoader> loader, std::shared_ptr<ModelDownloader> downloader);

    // The class's own name without namespaces (a subclass's when it is one),
    // which begins every log line.
    const std::string& loggerName() const;

private:
    // The downloaded path, else the loader's folder; throws when there is neither.
    std::string requireModelPath() const;
    void setModelPath(std::filesystem::path path);
    std::string tag() const { return "[" + loggerName() + "] "; }

    mutable std::mutex mutex_;
    ModelState modelState_ = ModelState::unloaded;
    ModelStateCallback modelStateCallback_;
    std::optional<std::filesystem::path> modelPath_;

    std::shared_ptr<ModelDownloader> downloader_;
    std::shared_ptr<ModelLoader> loader_;
    mutable std::once_flag loggerNameOnce_;
    mutable std::string loggerName_;
    LoadModelsCoordinator coordinator_;
};

} // namespace RuntimeCore

#include "RuntimeCore/ModelManagement/ModelManager.h"

#include "RuntimeCore/Logging/Logging.h"
#include "RuntimeCore/RuntimeCoreError.h"

#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

namespace RuntimeCore {

namespace {

// The demangled name with its namespaces (and enclosing classes) dropped; the
// template arguments of a template class stay as they are.
std::string unqualifiedName(const std::type_info& type)
{
    int status = 0;
    char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string name = status == 0 && demangled ? demangled : type.name();
    std::free(demangled);
    int depth = 0;
    size_t start = 0;
    for (size_t index = 0; index < name.size(); ++index) {
        if (name[index] == '<')
            ++depth;
        else if (name[index] == '>')
            --depth;
        else if (depth == 0 && name.compare(index, 2, "::") == 0)
            start = index + 2;
    }
    return name.substr(start);
}

std::string describe(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& exception) {
        return exception.what();
    } catch (...) {
        return "unknown error";
    }
}

} // namespace

std::shared_ptr<ModelManager> ModelManager::make(std::shared_ptr<ModelLoader> loader,
                                                 std::shared_ptr<ModelDownloader> downloader)
{
    return std::shared_ptr<ModelManager>(new ModelManager(std::move(loader), std::move(downloader)));
}

ModelManager::ModelManager(std::shared_ptr<ModelLoader> loader, std::shared_ptr<ModelDownloader> downloader)
    : downloader_(std::move(downloader)), loader_(std::move(loader))
{
}

ModelState ModelManager::modelState() const
{
    std::lock_guard lock(mutex_);
    return modelState_;
}

void ModelManager::setModelState(ModelState state)
{
    ModelState old;
    ModelStateCallback callback;
    {
        std::lock_guard lock(mutex_);
        old = modelState_;
        modelState_ = state;
        if (old != state)
            callback = modelStateCallback_;
    }
    if (callback)
        callback(old, state);
}

ModelManager::ModelStateCallback ModelManager::modelStateCallback() const
{
    std::lock_guard lock(mutex_);
    return modelStateCallback_;
}

void ModelManager::setModelStateCallback(ModelStateCallback callback)
{
    std::lock_guard lock(mutex_);
    modelStateCallback_ = std::move(callback);
}

std::optional<std::filesystem::path> ModelManager::modelPath() const
{
    std::lock_guard lock(mutex_);
    return modelPath_;
}

void ModelManager::setModelPath(std::filesystem::path path)
{
    std::lock_guard lock(mutex_);
    modelPath_ = std::move(path);
}

std::optional<std::filesystem::path> ModelManager::modelFolder() const
{
    if (auto folder = loader_->modelFolder())
        return std::filesystem::path(*folder);
    return std::nullopt;
}

const std::string& ModelManager::loggerName() const
{
    std::call_once(loggerNameOnce_, [this] { loggerName_ = unqualifiedName(typeid(*this)); });
    return loggerName_;
}

std::string ModelManager::requireModelPath() const
{
    if (auto path = modelPath())
        return path->string();
    if (auto folder = loader_->modelFolder())
        return *folder;
    throw RuntimeCoreError::invalidConfiguration(
        "No model path available. Call downloadModels() first, or provide modelFolder.");
}

bool ModelManager::isAvailable() const
{
    const ModelState state = modelState();
    return state == ModelState::downloaded || state == ModelState::loading || state == ModelState::loaded;
}

bool ModelManager::isLoaded() const
{
    return modelState() == ModelState::loaded;
}

void ModelManager::ensureModelsLoaded(std::stop_token stop)
{
    if (isLoaded())
        return;
    coordinator_.run(
        [self = shared_from_this()] {
            if (self->isLoaded())
                return;
            self->downloadModels();
            self->loadModels();
        },
        std::move(stop));
}

void ModelManager::downloadModels(const ModelDownloader::ProgressCallback& progressCallback)
{
    const ModelState state = modelState();
    if (state != ModelState::unloaded) {
        Logging::debug(tag() + "Models already downloaded (state: " + std::string(description(state)) +
                       "), skipping download");
        return;
    }
    if (auto folder = loader_->modelFolder()) {
        Logging::debug(tag() + "modelFolder is set, skipping download");
        setModelPath(*folder);
        setModelState(ModelState::downloaded);
        return;
    }
    Logging::info(tag() + "Starting download process...");
    setModelState(ModelState::downloading);
    std::string path;
    try {
        path = loader_->downloadModels(*downloader_, progressCallback);
    } catch (...) {
        setModelState(ModelState::unloaded);
        Logging::error(tag() + "Failed to download models: " + describe(std::current_exception()));
        throw;
    }
    setModelPath(path);
    setModelState(ModelState::downloaded);
    Logging::info(tag() + "Models downloaded to " + path);
}

void ModelManager::prewarmModels()
{
    if (modelState() == ModelState::unloaded)
        downloadModels();
    const std::string path = requireModelPath();
    const ModelState state = modelState();
    if (state == ModelState::prewarmed) {
        Logging::debug(tag() + "Models already prewarmed, skipping");
        return;
    }
    if (state != ModelState::downloaded)
        throw RuntimeCoreError::invalidConfiguration("Cannot prewarm in state: " + std::string(description(state)));
    setModelState(ModelState::prewarming);
    try {
        loader_->loadModels(path, true);
    } catch (...) {
        setModelState(ModelState::unloaded);
        Logging::error(tag() + "Failed to prewarm models: " + describe(std::current_exception()));
        throw;
    }
    setModelState(ModelState::prewarmed);
    Logging::info(tag() + "Models prewarmed successfully");
}

void ModelManager::loadModels()
{
    if (modelState() == ModelState::unloaded)
        downloadModels();
    const std::string path = requireModelPath();
    const ModelState state = modelState();
    if (state == ModelState::loaded) {
        Logging::debug(tag() + "Models already loaded, skipping");
        return;
    }
    if (state != ModelState::downloaded && state != ModelState::prewarmed)
        throw RuntimeCoreError::invalidConfiguration("Cannot load in state: " + std::string(description(state)));
    setModelState(ModelState::loading);
    try {
        loader_->loadModels(path, false);
    } catch (...) {
        setModelState(ModelState::unloaded);
        Logging::error(tag() + "Failed to load models: " + describe(std::current_exception()));
        throw;
    }
    setModelState(ModelState::loaded);
    Logging::info(tag() + "Models loaded successfully");
}

void ModelManager::unloadModels()
{
    const ModelState state = modelState();
    if (state != ModelState::loaded && state != ModelState::prewarmed)
        return;
    setModelState(ModelState::unloading);
    loader_->unloadModels();
    setModelState(ModelState::unloaded);
}

} // namespace RuntimeCore

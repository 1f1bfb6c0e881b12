#pragma once

#include "RuntimeCore/ModelManagement/ModelDownloader.h"

#include <optional>
#include <string>

namespace RuntimeCore {

// What a model manager drives: the program that owns the models says how they
// are fetched, prepared and released. Calls block until the work is done.
class ModelLoader {
public:
    virtual ~ModelLoader() = default;

    // A local folder that already holds the models; with one, nothing is
    // downloaded.
    virtual std::optional<std::string> modelFolder() const = 0;
    // Fetches the models (normally through `downloader`) and returns the path of
    // the folder that holds them.
    virtual std::string downloadModels(const ModelDownloader& downloader,
                                       const ModelDownloader::ProgressCallback& progressCallback) = 0;
    // Prepares the models in the folder: a prewarm when `prewarm` is set, a
    // load for use otherwise.
    virtual void loadModels(const std::string& folder, bool prewarm) = 0;
    virtual void unloadModels() = 0;
};

} // namespace RuntimeCore

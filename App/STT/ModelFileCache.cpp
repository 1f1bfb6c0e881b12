#include "App/STT/ModelFileCache.h"

#include "App/AppIdentity.h"
#include "App/STT/STTEngineError.h"
#include "Platform/Files/AtomicWrite.h"
#include "Platform/Net/HTTPSession.h"
#include "Platform/Paths/StandardPaths.h"

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <unistd.h>

namespace QEL {

namespace {

// Removes the temporary download unless it was moved into place.
struct TemporaryFile {
    std::filesystem::path path;
    ~TemporaryFile()
    {
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove(path, ignored);
    }
};

std::filesystem::path createTemporaryFile(const std::filesystem::path& folder, const std::string& ggmlName)
{
    std::string pattern = (folder / (ggmlName + ".download-XXXXXX")).string();
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0)
        throw std::filesystem::filesystem_error("Cannot create a download file", pattern,
                                                std::error_code(errno, std::generic_category()));
    close(descriptor);
    return pattern;
}

bool isUsableModelFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && std::filesystem::file_size(path, error) > 0 && !error;
}

} // namespace

std::string modelBaseURL()
{
    const char* configured = std::getenv("QEL_MODEL_BASE_URL");
    std::string base = configured && *configured ? configured : defaultModelBaseURL;
    if (!base.ends_with('/'))
        base.push_back('/');
    return base;
}

std::filesystem::path modelCacheFolder()
{
    const std::filesystem::path folder = Platform::applicationSupportDirectory() / AppIdentity::modelsFolder;
    std::filesystem::create_directories(folder);
    return folder;
}

std::filesystem::path ensureModelFile(const std::string& ggmlName, const Platform::Logger& logger)
{
    const std::filesystem::path folder = modelCacheFolder();
    const std::filesystem::path modelPath = folder / ggmlName;
    if (isUsableModelFile(modelPath)) {
        logger.info("Model already cached: " + modelPath.string());
        return modelPath;
    }

    const std::string url = modelBaseURL() + ggmlName;
    logger.info("Downloading model from " + url);
    TemporaryFile download{createTemporaryFile(folder, ggmlName)};
    const Platform::HTTPResponse response = Platform::HTTPSession().download(url, download.path);
    if (response.statusCode != 200)
        throw STTEngineError::transcriptionFailed("Model download HTTP error: " + response.description);

    Platform::moveFileDurably(download.path, modelPath);
    download.path.clear();
    std::error_code error;
    const auto size = std::filesystem::file_size(modelPath, error);
    logger.info("Model downloaded (" + std::to_string(error ? 0 : size / 1000000) + "MB) → " + modelPath.string());
    return modelPath;
}

} // namespace QEL

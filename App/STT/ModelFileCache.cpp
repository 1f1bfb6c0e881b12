#include "App/STT/ModelFileCache.h"

#include "App/AppIdentity.h"
#include "App/STT/STTEngineError.h"
#include "Platform/Files/AtomicWrite.h"
#include "Platform/Files/FileLock.h"
#include "Platform/Net/HTTPSession.h"
#include "Platform/Paths/StandardPaths.h"
#include "QelCore/Ggml/GgmlWhisperLoader.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <unistd.h>

namespace QEL {

namespace {

// A download is written to "<file name>.download-XXXXXX", X being letters or
// digits, so that no model file name ("….bin") looks like one.
constexpr std::string_view downloadMarker = ".download-";
constexpr size_t uniqueSuffixLength = 6;

bool isDownloadName(const std::string& name)
{
    const size_t tail = downloadMarker.size() + uniqueSuffixLength;
    return name.size() > tail && name.compare(name.size() - tail, downloadMarker.size(), downloadMarker) == 0
           && std::all_of(name.end() - uniqueSuffixLength, name.end(),
                          [](unsigned char c) { return std::isalnum(c) != 0; });
}

// A download in progress in the cache folder. It holds a lock on its file for
// as long as it lives, so other cache users can tell it from the leftover of
// a killed process; the file is removed unless it was moved into place.
class DownloadFile {
public:
    DownloadFile(const std::filesystem::path& folder, const std::string& ggmlName)
    {
        // Created and locked under the folder's lock, so that no clean-up sees
        // it unlocked in between.
        const Platform::FileLock folderLock(folder);
        std::string pattern = (folder / (ggmlName + std::string(downloadMarker) + "XXXXXX")).string();
        const int descriptor = mkostemp(pattern.data(), O_CLOEXEC);
        if (descriptor < 0)
            throw std::filesystem::filesystem_error("Cannot create a download file", pattern,
                                                    std::error_code(errno, std::generic_category()));
        close(descriptor);
        path_ = pattern;
        lock_.emplace(path_);
    }
    ~DownloadFile()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove(path_, ignored);
    }
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    const std::filesystem::path& path() const { return path_; }

    void moveInto(const std::filesystem::path& target)
    {
        Platform::moveFileDurably(path_, target);
        path_.clear();
    }

private:
    std::filesystem::path path_;
    std::optional<Platform::FileLock> lock_;
};

// Removes downloads that no one holds any more: what a killed process left.
void removeStaleDownloads(const std::filesystem::path& folder)
{
    const Platform::FileLock folderLock(folder);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (!entry.is_regular_file(error) || !isDownloadName(entry.path().filename().string()))
            continue;
        if (const auto lock = Platform::FileLock::tryLock(entry.path()))
            std::filesystem::remove(entry.path(), error);
    }
}

// Loads of one model in this process take turns, so a missing model is
// downloaded once and the later loads find it in the cache.
std::mutex& downloadMutex(const std::string& ggmlName)
{
    static std::mutex guard;
    static std::map<std::string, std::mutex> mutexes;
    std::lock_guard lock(guard);
    return mutexes[ggmlName];
}

bool isUsableModelFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && std::filesystem::file_size(path, error) > 0 && !error;
}

std::filesystem::path cachedModel(const std::filesystem::path& path, const Platform::Logger& logger)
{
    logger.info("Model already cached: " + path.string());
    return path;
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
    removeStaleDownloads(folder);
    const std::filesystem::path modelPath = folder / ggmlName;
    if (isUsableModelFile(modelPath))
        return cachedModel(modelPath, logger);
    const std::lock_guard downloading(downloadMutex(ggmlName));
    if (isUsableModelFile(modelPath))
        return cachedModel(modelPath, logger);

    const std::string url = modelBaseURL() + ggmlName;
    logger.info("Downloading model from " + url);
    DownloadFile download(folder, ggmlName);
    const Platform::HTTPResponse response = Platform::HTTPSession().download(url, download.path());
    if (response.statusCode != 200)
        throw STTEngineError::transcriptionFailed("Model download HTTP error: " + response.description);
    // A body cut short without a declared length, or an error page served as
    // a success, must not pass for the model at every later load.
    try {
        QelCore::checkGgmlWhisperModelFile(download.path());
    } catch (const QelCore::ModelFileError& error) {
        std::throw_with_nested(STTEngineError::transcriptionFailed(
            "Model download error: " + url + " did not give a whole model file (" + error.what() + ")"));
    }

    download.moveInto(modelPath);
    std::error_code error;
    const auto size = std::filesystem::file_size(modelPath, error);
    logger.info("Model downloaded (" + std::to_string(error ? 0 : size / 1000000) + "MB) → " + modelPath.string());
    return modelPath;
}

std::optional<std::filesystem::path> setAsideDamagedModelFile(const std::filesystem::path& modelFile)
{
    try {
        QelCore::checkGgmlWhisperModelFile(modelFile);
        return std::nullopt;
    } catch (const QelCore::ModelFileError&) {
    }
    std::filesystem::path aside = modelFile;
    aside += ".damaged";
    std::error_code error;
    std::filesystem::rename(modelFile, aside, error);
    if (error)
        return std::nullopt;
    return aside;
}

} // namespace QEL

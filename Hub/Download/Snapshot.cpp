#include "Hub/Api/HubApi.h"

#include "Hub/Cache/FileListing.h"
#include "Hub/Download/HubFileDownloader.h"

#include <algorithm>
#include <cmath>

namespace Hub {

namespace {

std::int64_t percentOf(double fraction)
{
    if (!std::isfinite(fraction))
        return 0;
    return static_cast<std::int64_t>(std::clamp(fraction, 0.0, 1.0) * 100);
}

} // namespace

std::filesystem::path HubApi::snapshot(const Repo& repo, const std::string& revision,
                                       const std::vector<std::string>& globs, const ProgressHandler& progressHandler,
                                       std::stop_token stop) const
{
    const std::filesystem::path repoDestination = localRepoLocation(repo);
    const std::filesystem::path metadataDestination = repoDestination / ".cache" / "modelhub" / "download";
    if (worksOffline())
        return offlineSnapshot(repoDestination, metadataDestination);

    const std::vector<std::string> names = getFilenames(repo, revision, globs);
    Platform::Progress overall(static_cast<std::int64_t>(names.size()));
    for (const std::string& name : names) {
        Platform::Progress file(100, overall, 1);
        const HubFileDownloader downloader{.hub = *this,
                                           .repo = repo,
                                           .revision = revision,
                                           .repoDestination = repoDestination,
                                           .repoMetadataDestination = metadataDestination,
                                           .relativeFilename = name,
                                           .hubToken = hubToken,
                                           .endpoint = endpoint,
                                           .backgroundSession = useBackgroundSession};
        downloader.download(
            [&](double fraction, std::optional<double> speed) {
                file.setCompletedUnitCount(percentOf(fraction));
                if (speed) {
                    file.setThroughput(*speed);
                    overall.setThroughput(*speed);
                }
                if (progressHandler)
                    progressHandler(overall);
            },
            stop);
        // Returning the folder would pass a half-fetched repository as whole.
        if (stop.stop_requested())
            throw Platform::TransferCancelled();
        file.setCompletedUnitCount(100);
    }
    if (progressHandler)
        progressHandler(overall);
    return repoDestination;
}

std::filesystem::path HubApi::offlineSnapshot(const std::filesystem::path& repoDestination,
                                              const std::filesystem::path& metadataDestination) const
{
    if (!std::filesystem::exists(repoDestination))
        throw EnvironmentError::offlineModeError("Repository not available locally");
    const std::vector<std::filesystem::path> files = getFileUrls(repoDestination);
    if (files.empty())
        throw EnvironmentError::offlineModeError("No files available locally for this repository");
    for (const std::filesystem::path& file : files) {
        std::filesystem::path metadataPath = metadataDestination / file.lexically_relative(repoDestination);
        metadataPath += ".metadata";
        const std::string name = file.filename().string();
        const std::optional<LocalDownloadFileMetadata> metadata = readDownloadMetadata(metadataPath);
        if (!metadata)
            throw EnvironmentError::offlineModeError("Metadata not available for " + name);
        if (isValidHash(metadata->etag, sha256Pattern) && computeFileHash(file) != metadata->etag)
            throw EnvironmentError::fileIntegrityError("Hash mismatch for " + name);
    }
    return repoDestination;
}

} // namespace Hub

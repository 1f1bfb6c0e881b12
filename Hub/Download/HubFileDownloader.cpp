#include "Hub/Download/HubFileDownloader.h"

#include "Hub/Api/DefaultEndpoint.h"
#include "Hub/Api/ResolveURL.h"
#include "Hub/Download/Downloader.h"
#include "Platform/Files/AtomicWrite.h"

#include <stop_token>

namespace Hub {

namespace {

constexpr double transferTimeout = 10;
constexpr int transferRetries = 5;

bool hasParentStep(const std::filesystem::path& path)
{
    for (const auto& component : path)
        if (component == "..")
            return true;
    return false;
}

// Names come from the server; none of them may lead out of the cache.
void checkNames(const std::string& relativeFilename, const std::string& etag)
{
    const std::filesystem::path name(relativeFilename);
    if (relativeFilename.empty() || name.is_absolute() || hasParentStep(name))
        throw EnvironmentError::invalidMetadataError("The file name \"" + relativeFilename +
                                                     "\" leads out of the repository folder");
    if (etag.find('/') != std::string::npos || etag.find("..") != std::string::npos)
        throw EnvironmentError::invalidMetadataError("The etag \"" + etag + "\" of " + relativeFilename +
                                                     " cannot name a file");
}

} // namespace

std::string HubApi::HubFileDownloader::source() const
{
    return resolveURL(endpoint.value_or(std::string(defaultEndpoint)), repo, revision)
        .appendingPath(relativeFilename)
        .string();
}

void HubApi::HubFileDownloader::prepareCacheDestination(const std::filesystem::path& incompleteDestination) const
{
    std::filesystem::create_directories(incompleteDestination.parent_path());
    if (!std::filesystem::exists(incompleteDestination))
        Platform::writeFileAtomically(incompleteDestination, "");
}

std::filesystem::path HubApi::HubFileDownloader::download(const ProgressHandler& progressHandler,
                                                          std::stop_token stop) const
{
    checkNames(relativeFilename, "");
    const std::optional<LocalDownloadFileMetadata> local = readDownloadMetadata(metadataDestination());
    const FileMetadata remote = hub.getFileMetadata(source());
    const std::string remoteCommit = remote.commitHash.value_or("");
    const bool cached = std::filesystem::exists(destination());

    if (isValidHash(remoteCommit, hub.commitHashPattern) && cached && local && local->commitHash == remoteCommit)
        return destination();
    if (!remote.commitHash || !remote.etag || !remote.size || remote.location.empty())
        throw EnvironmentError::invalidMetadataError("File metadata must have been retrieved from server");
    const std::string& etag = *remote.etag;
    checkNames(relativeFilename, etag);

    const bool contentHashed = isValidHash(etag, hub.sha256Pattern);
    if (cached && ((local && local->etag == etag) || (contentHashed && computeFileHash(destination()) == etag))) {
        writeDownloadMetadata(remoteCommit, etag, metadataDestination());
        return destination();
    }

    const std::filesystem::path incomplete = repoMetadataDestination / (relativeFilename + "." + etag + ".incomplete");
    prepareCacheDestination(incomplete);
    Downloader downloader(destination(), incomplete, backgroundSession);
    Downloader::Subscription states =
        downloader.download(source(), hubToken, std::nullopt, remote.size, transferTimeout, transferRetries,
                            contentHashed ? std::optional(etag) : std::nullopt);
    {
        const std::stop_callback cancelOnStop(stop, [&] { downloader.cancel(); });
        while (std::optional<DownloadState> state = states.next()) {
            if (state->kind == DownloadState::Kind::downloading && progressHandler)
                progressHandler(state->fraction, state->speed);
            else if (state->kind == DownloadState::Kind::failed)
                std::rethrow_exception(state->error);
            else if (state->kind == DownloadState::Kind::completed)
                break;
        }
    }
    writeDownloadMetadata(remoteCommit, etag, metadataDestination());
    return destination();
}

} // namespace Hub

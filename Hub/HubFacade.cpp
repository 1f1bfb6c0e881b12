#include "Hub/HubFacade.h"

namespace Hub {

namespace {

const std::string mainRevision = "main";

} // namespace

std::vector<std::string> getFilenames(const Repo& repo, const std::vector<std::string>& globs)
{
    return HubApi::shared().getFilenames(repo, mainRevision, globs);
}

std::vector<std::string> getFilenames(const std::string& repoId, const std::vector<std::string>& globs)
{
    return HubApi::shared().getFilenames(Repo{repoId}, mainRevision, globs);
}

std::vector<std::string> getFilenames(const Repo& repo, const std::string& glob)
{
    return HubApi::shared().getFilenames(repo, mainRevision, std::vector{glob});
}

std::vector<std::string> getFilenames(const std::string& repoId, const std::string& glob)
{
    return HubApi::shared().getFilenames(Repo{repoId}, mainRevision, std::vector{glob});
}

std::filesystem::path snapshot(const Repo& repo, const std::vector<std::string>& globs,
                               const HubApi::ProgressHandler& progressHandler, std::stop_token stop)
{
    return HubApi::shared().snapshot(repo, mainRevision, globs, progressHandler, std::move(stop));
}

std::filesystem::path snapshot(const std::string& repoId, const std::vector<std::string>& globs,
                               const HubApi::ProgressHandler& progressHandler, std::stop_token stop)
{
    return HubApi::shared().snapshot(repoId, mainRevision, globs, progressHandler, std::move(stop));
}

std::filesystem::path snapshot(const Repo& repo, const std::string& glob,
                               const HubApi::ProgressHandler& progressHandler, std::stop_token stop)
{
    return HubApi::shared().snapshot(repo, mainRevision, glob, progressHandler, std::move(stop));
}

std::filesystem::path snapshot(const std::string& repoId, const std::string& glob,
                               const HubApi::ProgressHandler& progressHandler, std::stop_token stop)
{
    return HubApi::shared().snapshot(repoId, mainRevision, glob, progressHandler, std::move(stop));
}

std::filesystem::path snapshot(const Repo& repo, const std::vector<std::string>& globs,
                               const HubApi::SpeedProgressHandler& progressHandler, std::stop_token stop)
{
    return HubApi::shared().snapshot(repo, mainRevision, globs, progressHandler, std::move(stop));
}

std::filesystem::path snapshot(const std::string& repoId, const std::vector<std::string>& globs,
                               const HubApi::SpeedProgressHandler& progressHandler, std::stop_token stop)
{
    return HubApi::shared().snapshot(repoId, mainRevision, globs, progressHandler, std::move(stop));
}

std::filesystem::path snapshot(const Repo& repo, const std::string& glob,
                               const HubApi::SpeedProgressHandler& progressHandler, std::stop_token stop)
{
    return HubApi::shared().snapshot(repo, mainRevision, glob, progressHandler, std::move(stop));
}

std::filesystem::path snapshot(const std::string& repoId, const std::string& glob,
                               const HubApi::SpeedProgressHandler& progressHandler, std::stop_token stop)
{
    return HubApi::shared().snapshot(repoId, mainRevision, glob, progressHandler, std::move(stop));
}

std::vector<FileMetadata> getFileMetadata(const Repo& repo, const std::vector<std::string>& globs)
{
    return HubApi::shared().getFileMetadata(repo, mainRevision, globs);
}

std::vector<FileMetadata> getFileMetadata(const std::string& repoId, const std::vector<std::string>& globs)
{
    return HubApi::shared().getFileMetadata(repoId, mainRevision, globs);
}

std::vector<FileMetadata> getFileMetadata(const Repo& repo, const std::string& glob)
{
    return HubApi::shared().getFileMetadata(repo, mainRevision, glob);
}

std::vector<FileMetadata> getFileMetadata(const std::string& repoId, const std::string& glob)
{
    return HubApi::shared().getFileMetadata(repoId, mainRevision, glob);
}

FileMetadata getFileMetadata(const std::string& fileURL)
{
    return HubApi::shared().getFileMetadata(fileURL);
}

Config whoami(const std::string& token)
{
    return HubApi(std::nullopt, token).whoami();
}

} // namespace Hub

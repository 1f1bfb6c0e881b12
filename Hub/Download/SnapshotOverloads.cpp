#include "Hub/Api/HubApi.h"

namespace Hub {

namespace {

// Hands the caller the overall progress with the last speed stored on it.
HubApi::ProgressHandler withSpeed(const HubApi::SpeedProgressHandler& handler)
{
    return [&handler](const Platform::Progress& progress) {
        if (handler)
            handler(progress, progress.throughput());
    };
}

} // namespace

std::filesystem::path HubApi::snapshot(const Repo& repo, const std::string& revision,
                                       const std::vector<std::string>& globs,
                                       const SpeedProgressHandler& progressHandler, std::stop_token stop) const
{
    return snapshot(repo, revision, globs, withSpeed(progressHandler), std::move(stop));
}

std::filesystem::path HubApi::snapshot(const std::string& repoId, const std::string& revision,
                                       const std::vector<std::string>& globs, const ProgressHandler& progressHandler,
                                       std::stop_token stop) const
{
    return snapshot(Repo{repoId}, revision, globs, progressHandler, std::move(stop));
}

std::filesystem::path HubApi::snapshot(const Repo& repo, const std::string& revision, const std::string& glob,
                                       const ProgressHandler& progressHandler, std::stop_token stop) const
{
    return snapshot(repo, revision, std::vector{glob}, progressHandler, std::move(stop));
}

std::filesystem::path HubApi::snapshot(const std::string& repoId, const std::string& revision, const std::string& glob,
                                       const ProgressHandler& progressHandler, std::stop_token stop) const
{
    return snapshot(Repo{repoId}, revision, std::vector{glob}, progressHandler, std::move(stop));
}

std::filesystem::path HubApi::snapshot(const std::string& repoId, const std::string& revision,
                                       const std::vector<std::string>& globs,
                                       const SpeedProgressHandler& progressHandler, std::stop_token stop) const
{
    return snapshot(Repo{repoId}, revision, globs, withSpeed(progressHandler), std::move(stop));
}

std::filesystem::path HubApi::snapshot(const Repo& repo, const std::string& revision, const std::string& glob,
                                       const SpeedProgressHandler& progressHandler, std::stop_token stop) const
{
    return snapshot(repo, revision, std::vector{glob}, withSpeed(progressHandler), std::move(stop));
}

std::filesystem::path HubApi::snapshot(const std::string& repoId, const std::string& revision, const std::string& glob,
                                       const SpeedProgressHandler& progressHandler, std::stop_token stop) const
{
    return snapshot(Repo{repoId}, revision, std::vector{glob}, withSpeed(progressHandler), std::move(stop));
}

} // namespace Hub

#pragma once

// Shortcuts for the hub client's common operations on the process's shared
// client at revision "main", so a caller can list, fetch and inspect a
// repository without making a client. A repository given by its id is a model
// repository; one pattern stands for a list of just that pattern.

#include "Hub/Api/HubApi.h"

#include <filesystem>
#include <stop_token>
#include <string>
#include <vector>

namespace Hub {

std::vector<std::string> getFilenames(const Repo& repo, const std::vector<std::string>& globs);
std::vector<std::string> getFilenames(const std::string& repoId, const std::vector<std::string>& globs);
std::vector<std::string> getFilenames(const Repo& repo, const std::string& glob);
std::vector<std::string> getFilenames(const std::string& repoId, const std::string& glob);

std::filesystem::path snapshot(const Repo& repo, const std::vector<std::string>& globs,
                               const HubApi::ProgressHandler& progressHandler = {}, std::stop_token stop = {});
std::filesystem::path snapshot(const std::string& repoId, const std::vector<std::string>& globs,
                               const HubApi::ProgressHandler& progressHandler = {}, std::stop_token stop = {});
std::filesystem::path snapshot(const Repo& repo, const std::string& glob,
                               const HubApi::ProgressHandler& progressHandler = {}, std::stop_token stop = {});
std::filesystem::path snapshot(const std::string& repoId, const std::string& glob,
                               const HubApi::ProgressHandler& progressHandler = {}, std::stop_token stop = {});
std::filesystem::path snapshot(const Repo& repo, const std::vector<std::string>& globs,
                               const HubApi::SpeedProgressHandler& progressHandler, std::stop_token stop = {});
std::filesystem::path snapshot(const std::string& repoId, const std::vector<std::string>& globs,
                               const HubApi::SpeedProgressHandler& progressHandler, std::stop_token stop = {});
std::filesystem::path snapshot(const Repo& repo, const std::string& glob,
                               const HubApi::SpeedProgressHandler& progressHandler, std::stop_token stop = {});
std::filesystem::path snapshot(const std::string& repoId, const std::string& glob,
                               const HubApi::SpeedProgressHandler& progressHandler, std::stop_token stop = {});

std::vector<FileMetadata> getFileMetadata(const Repo& repo, const std::vector<std::string>& globs);
std::vector<FileMetadata> getFileMetadata(const std::string& repoId, const std::vector<std::string>& globs);
std::vector<FileMetadata> getFileMetadata(const Repo& repo, const std::string& glob);
std::vector<FileMetadata> getFileMetadata(const std::string& repoId, const std::string& glob);
// The metadata of the file at a resolve URL.
FileMetadata getFileMetadata(const std::string& fileURL);

// The account of `token`, asked by a client made for it with every other
// setting at its default.
Config whoami(const std::string& token);

} // namespace Hub

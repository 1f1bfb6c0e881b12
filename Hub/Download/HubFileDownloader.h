#pragma once

// Brings one file of a repository revision into the cache: the cached copy is
// kept when its record names the hub's current commit or etag, or when its
// content hashes to a SHA-256 etag; otherwise it is downloaded, continuing an
// interrupted attempt for the same etag. The record is written last.

#include "Hub/Api/HubApi.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>

namespace Hub {

struct HubApi::HubFileDownloader {
    // The share of the file on disk and the speed in bytes per second.
    using ProgressHandler = std::function<void(double fraction, std::optional<double> speed)>;

    HubApi hub;
    Repo repo;
    std::string revision;
    std::filesystem::path repoDestination;
    std::filesystem::path repoMetadataDestination;
    std::string relativeFilename;
    std::optional<std::string> hubToken;
    // None means the default endpoint.
    std::optional<std::string> endpoint;
    bool backgroundSession = false;

    std::string source() const;
    std::filesystem::path destination() const { return repoDestination / relativeFilename; }
    std::filesystem::path metadataDestination() const
    {
        return repoMetadataDestination / (relativeFilename + ".metadata");
    }

    // Creates the partial file's folder, and the partial file empty unless it
    // is there already.
    void prepareCacheDestination(const std::filesystem::path& incompleteDestination) const;

    // The cached file's path. Errors of the record, the metadata request and
    // the transfer pass on unchanged; a stop request ends a transfer with
    // Platform::TransferCancelled, keeping its partial file and writing no record.
    std::filesystem::path download(const ProgressHandler& progressHandler, std::stop_token stop = {}) const;
};

} // namespace Hub

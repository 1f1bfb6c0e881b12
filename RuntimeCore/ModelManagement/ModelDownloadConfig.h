#pragma once

#include <optional>
#include <string>

namespace RuntimeCore {

// Where a model downloader looks for models and which hub repository it
// fetches them from.
struct ModelDownloadConfig {
    // The folder the hub cache lives under; none leaves it to the hub client.
    std::optional<std::string> downloadBase;
    // The repository as the hub names it (owner and name).
    std::string modelRepo;
    // None lets the hub client look for a token itself.
    std::optional<std::string> modelToken;
    // A local folder that already holds models, searched before the cache.
    std::optional<std::string> modelFolder;
    bool useBackgroundSession = false;
    // The hub's base address, handed to the hub client unchanged.
    std::string endpoint;
    // The branch, tag or commit that listings and downloads use.
    std::string revision;
};

} // namespace RuntimeCore

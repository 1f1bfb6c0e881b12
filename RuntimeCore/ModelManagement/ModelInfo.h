#pragma once

#include "Platform/CoreML/MLComputeUnits.h"

#include <filesystem>
#include <optional>
#include <string>

namespace RuntimeCore {

// One model of a repository. Its files lie under the folders name, version,
// variant (each level only when set).
struct ModelInfo {
    std::optional<std::string> version;
    std::optional<std::string> variant;
    std::string name;
    // Carried and printed; nothing here acts on it.
    Platform::CoreML::MLComputeUnits computeUnits = Platform::CoreML::MLComputeUnits::all;

    // name/version/variant/* with "*" for a level that is not set, so the hub's
    // listing finds the model's files whichever version or variant holds them.
    std::string downloadPattern() const;
    // The folder chain name, version, variant below `baseURL`.
    std::filesystem::path modelURL(const std::filesystem::path& baseURL) const;
    // The folder that holds the folder called `name` on the way up from `url`
    // (the url itself tested first); none when no component is called so.
    std::optional<std::filesystem::path> findBaseFolder(const std::filesystem::path& url) const;

    // The levels that are set, joined with "/".
    std::string description() const;
    std::string debugDescription() const;
};

} // namespace RuntimeCore

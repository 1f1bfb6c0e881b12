#pragma once

#include "Platform/CoreML/Folder/ModelManifest.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace QelTools {

// Puts a model folder together: the description, and the weights file that
// its index points into.
class ModelFolderBuilder {
public:
    explicit ModelFolderBuilder(Platform::CoreML::ModelManifest manifest) : manifest_(std::move(manifest)) {}

    Platform::CoreML::ModelManifest& manifest() { return manifest_; }

    // Appends a tensor's bytes at the next offset aligned for any element type,
    // and indexes it.
    void addWeight(std::string name, Platform::CoreML::MLMultiArrayDataType dataType, std::vector<std::int64_t> shape,
                   std::span<const std::byte> bytes);

    // Writes the folder (NAME.mlmodelc) so that a crash leaves the folder that
    // was there before or the whole new one.
    void write(const std::filesystem::path& folder) const;

private:
    Platform::CoreML::ModelManifest manifest_;
    std::string weights_;
};

} // namespace QelTools

#pragma once

#include "Platform/CoreML/Folder/ModelManifest.h"
#include "Platform/CoreML/MLModelDescription.h"
#include "Platform/Memory/LargeBuffer.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace Platform::CoreML {

// One weight tensor, a view into the folder's weights.
struct WeightTensor {
    MLMultiArrayDataType dataType = MLMultiArrayDataType::float32;
    std::vector<std::int64_t> shape;
    std::span<const std::byte> bytes;

    // Throws MLModelError when T is not the element type.
    template <MLMultiArrayScalar T>
    std::span<const T> values() const
    {
        requireElementType(MLMultiArrayElement<T>::dataType);
        return {reinterpret_cast<const T*>(bytes.data()), bytes.size() / sizeof(T)};
    }

private:
    void requireElementType(MLMultiArrayDataType type) const;
};

// An opened model folder NAME.mlmodelc in this runtime's own format: its
// description read and checked, its weights file read into memory. The file
// is read rather than mapped: one rewritten in place while it was mapped would
// end the process at the next read of a page past its new end. The copy lies
// in a large buffer: each decoded token streams all of it, and on small pages
// the address translations made a token about a tenth slower. Every offset
// and shape is checked on opening, so what a computation reads lies inside
// the weights.
class ModelFolder {
public:
    // Throws MLModelError naming the problem: no folder, no description or one
    // in another format (a model compiled for another runtime included), a
    // damaged description, or a weight outside the weights file.
    explicit ModelFolder(const std::filesystem::path& path);
    // The weights point into the folder's own copy of the file.
    ModelFolder(const ModelFolder&) = delete;
    ModelFolder& operator=(const ModelFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    const std::string& kind() const { return manifest_.kind; }
    const rapidjson::Value& hyperParameters() const { return manifest_.hyperParameters; }
    const MLModelDescription& description() const { return description_; }
    const std::vector<AlignmentHead>& alignmentHeads() const { return manifest_.alignmentHeads; }

    // Nothing for a name the weight index lacks.
    const WeightTensor* weight(const std::string& name) const;

private:
    std::filesystem::path path_;
    ModelManifest manifest_;
    MLModelDescription description_;
    LargeBuffer weightsFile_;
    std::size_t weightsBytes_ = 0;
    std::map<std::string, WeightTensor> weights_;
};

} // namespace Platform::CoreML

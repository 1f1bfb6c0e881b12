#pragma once

#include "Platform/CoreML/MLModelDescription.h"
#include "Platform/JSON/JSONCoding.h"

#include <cstdint>
#include <rapidjson/document.h>
#include <string>
#include <string_view>
#include <vector>

namespace Platform::CoreML {

// A model folder NAME.mlmodelc holds these two files: the description below
// as JSON, and the weights it indexes, back to back.
inline constexpr std::string_view kModelDescriptionFile = "model.json";
inline constexpr std::string_view kModelWeightsFile = "weights.bin";
inline constexpr std::string_view kModelFolderFormat = "qel-model-folder";
inline constexpr std::int64_t kModelFolderFormatVersion = 1;

// Limits that keep a damaged description from asking for absurd arrays; the
// largest feature of the largest Whisper model holds under 2^25 elements.
inline constexpr std::size_t kMaxFeatureRank = 8;
inline constexpr std::int64_t kMaxFeatureElements = std::int64_t{1} << 28;

// A cross-attention head whose weights serve word alignment.
struct AlignmentHead {
    std::int64_t layer = 0;
    std::int64_t head = 0;

    bool operator==(const AlignmentHead&) const = default;
};

// Where one weight tensor lies in the weights file.
struct WeightEntry {
    std::string name;
    MLMultiArrayDataType dataType = MLMultiArrayDataType::float32;
    std::vector<std::int64_t> shape;
    // Bytes from the start of the file; a multiple of the element size.
    std::int64_t offset = 0;
};

// What a model folder's description says: its kind (which computation runs
// it), the kind's hyper-parameters, the input and output features, the
// alignment heads and the weight index. Read and written with the same keys.
struct ModelManifest {
    std::string kind;
    rapidjson::Document hyperParameters{rapidjson::kObjectType};
    std::vector<MLFeatureDescription> inputs;
    std::vector<MLFeatureDescription> outputs;
    std::vector<AlignmentHead> alignmentHeads;
    std::vector<WeightEntry> weights;

    // Checks the format, every field's type and range and that names are
    // unique; throws MLModelError naming the field at fault. Whether the
    // weights lie inside the weights file is the folder's check.
    static ModelManifest fromJSON(const rapidjson::Value& json);
    rapidjson::Value toJSON(JSON::Allocator& allocator) const;
};

} // namespace Platform::CoreML

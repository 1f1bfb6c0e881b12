#include "Platform/CoreML/Folder/ModelManifest.h"

#include "Platform/CoreML/Folder/CheckedJSON.h"

#include <limits>
#include <set>

namespace Platform::CoreML {
namespace {

using namespace CheckedJSON;
using JSON::DecodingError;

constexpr std::int64_t kMaxInt64 = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMaxInt32 = std::numeric_limits<std::int32_t>::max();

MLMultiArrayDataType readDataType(const rapidjson::Value& value, const CodingPath& where)
{
    const std::string name = string(value, where);
    if (const auto type = multiArrayDataTypeNames.value(name))
        return *type;
    throw DecodingError("is '" + name + "', not an element type (float16, float32, float64, int32)", where);
}

std::vector<std::int64_t> readShape(const rapidjson::Value& value, const CodingPath& where, std::int64_t maxElements)
{
    const auto extents = array(value, where);
    if (extents.Empty() || extents.Size() > kMaxFeatureRank)
        throw DecodingError("has " + std::to_string(extents.Size()) + " dimensions; 1 to " +
                                std::to_string(kMaxFeatureRank) + " are allowed",
                            where);
    std::vector<std::int64_t> shape;
    std::int64_t count = 1;
    for (rapidjson::SizeType i = 0; i < extents.Size(); ++i) {
        shape.push_back(integer(extents[i], element(where, i), 1, kMaxInt32));
        if (__builtin_mul_overflow(count, shape.back(), &count) || count > maxElements)
            throw DecodingError("holds more than " + std::to_string(maxElements) + " elements", where);
    }
    return shape;
}

std::vector<MLFeatureDescription> readFeatures(const rapidjson::Value& json, const char* key)
{
    std::vector<MLFeatureDescription> features;
    std::set<std::string> names;
    const CodingPath list{key};
    const auto entries = array(member(json, key, {}), list);
    for (rapidjson::SizeType i = 0; i < entries.Size(); ++i) {
        const CodingPath where = element(list, i);
        MLFeatureDescription feature;
        feature.name = string(member(entries[i], "name", where), field(where, "name"));
        if (!names.insert(feature.name).second)
            throw DecodingError("names '" + feature.name + "' twice", list);
        const std::string typeName = string(member(entries[i], "type", where), field(where, "type"));
        const auto type = featureTypeNames.value(typeName);
        if (!type)
            throw DecodingError("is '" + typeName + "', not multiArray or int64", field(where, "type"));
        feature.type = *type;
        if (feature.type == MLFeatureType::multiArray)
            feature.multiArrayConstraint = MLMultiArrayConstraint{
                readShape(member(entries[i], "shape", where), field(where, "shape"), kMaxFeatureElements),
                readDataType(member(entries[i], "dataType", where), field(where, "dataType"))};
        features.push_back(std::move(feature));
    }
    return features;
}

std::vector<AlignmentHead> readAlignmentHeads(const rapidjson::Value& json)
{
    std::vector<AlignmentHead> heads;
    const auto entries = array(member(json, "alignmentHeads", {}), {"alignmentHeads"});
    for (rapidjson::SizeType i = 0; i < entries.Size(); ++i) {
        const CodingPath where = element({"alignmentHeads"}, i);
        const auto pair = array(entries[i], where);
        if (pair.Size() != 2)
            throw DecodingError("is not a pair of layer and head", where);
        heads.push_back({integer(pair[0], element(where, 0), 0, kMaxInt32),
                         integer(pair[1], element(where, 1), 0, kMaxInt32)});
    }
    return heads;
}

std::vector<WeightEntry> readWeights(const rapidjson::Value& json)
{
    std::vector<WeightEntry> weights;
    std::set<std::string> names;
    const auto entries = array(member(json, "weights", {}), {"weights"});
    for (rapidjson::SizeType i = 0; i < entries.Size(); ++i) {
        const CodingPath where = element({"weights"}, i);
        WeightEntry weight;
        weight.name = string(member(entries[i], "name", where), field(where, "name"));
        if (!names.insert(weight.name).second)
            throw DecodingError("names '" + weight.name + "' twice", {"weights"});
        weight.dataType = readDataType(member(entries[i], "dataType", where), field(where, "dataType"));
        weight.shape = readShape(member(entries[i], "shape", where), field(where, "shape"), kMaxInt64 / 8);
        weight.offset = integer(member(entries[i], "offset", where), field(where, "offset"), 0, kMaxInt64);
        if (weight.offset % static_cast<std::int64_t>(elementSize(weight.dataType)) != 0)
            throw DecodingError("is not a multiple of its element size", field(where, "offset"));
        weights.push_back(std::move(weight));
    }
    return weights;
}

rapidjson::Value text(std::string_view value, JSON::Allocator& allocator)
{
    return rapidjson::Value(value.data(), static_cast<rapidjson::SizeType>(value.size()), allocator);
}

rapidjson::Value featuresJSON(const std::vector<MLFeatureDescription>& features, JSON::Allocator& allocator)
{
    rapidjson::Value list(rapidjson::kArrayType);
    for (const auto& feature : features) {
        rapidjson::Value entry(rapidjson::kObjectType);
        entry.AddMember("name", text(feature.name, allocator), allocator);
        entry.AddMember("type", text(featureTypeNames.name(feature.type), allocator), allocator);
        if (feature.multiArrayConstraint) {
            entry.AddMember("dataType", text(multiArrayDataTypeNames.name(feature.multiArrayConstraint->dataType), allocator),
                            allocator);
            entry.AddMember("shape", JSON::encode(feature.multiArrayConstraint->shape, allocator), allocator);
        }
        list.PushBack(entry, allocator);
    }
    return list;
}

} // namespace

ModelManifest ModelManifest::fromJSON(const rapidjson::Value& json)
{
    const std::string format = string(member(json, "format", {}), {"format"});
    if (format != kModelFolderFormat)
        throw DecodingError("is '" + format + "', not " + std::string(kModelFolderFormat), {"format"});
    const std::int64_t version = integer(member(json, "formatVersion", {}), {"formatVersion"}, 0, kMaxInt64);
    if (version != kModelFolderFormatVersion)
        throw DecodingError("is " + std::to_string(version) + "; this runtime reads version " +
                                std::to_string(kModelFolderFormatVersion),
                            {"formatVersion"});

    ModelManifest manifest;
    manifest.kind = string(member(json, "kind", {}), {"kind"});
    const rapidjson::Value& hyperParameters = member(json, "hyperParameters", {});
    if (!hyperParameters.IsObject())
        throw DecodingError("is not an object", {"hyperParameters"});
    manifest.hyperParameters.CopyFrom(hyperParameters, manifest.hyperParameters.GetAllocator());
    manifest.inputs = readFeatures(json, "inputs");
    manifest.outputs = readFeatures(json, "outputs");
    manifest.alignmentHeads = readAlignmentHeads(json);
    manifest.weights = readWeights(json);
    return manifest;
}

rapidjson::Value ModelManifest::toJSON(JSON::Allocator& allocator) const
{
    rapidjson::Value json(rapidjson::kObjectType);
    json.AddMember("format", text(kModelFolderFormat, allocator), allocator);
    json.AddMember("formatVersion", kModelFolderFormatVersion, allocator);
    json.AddMember("kind", text(kind, allocator), allocator);
    json.AddMember("hyperParameters", rapidjson::Value(hyperParameters, allocator), allocator);
    json.AddMember("inputs", featuresJSON(inputs, allocator), allocator);
    json.AddMember("outputs", featuresJSON(outputs, allocator), allocator);
    rapidjson::Value heads(rapidjson::kArrayType);
    for (const auto& head : alignmentHeads) {
        rapidjson::Value pair(rapidjson::kArrayType);
        pair.PushBack(head.layer, allocator).PushBack(head.head, allocator);
        heads.PushBack(pair, allocator);
    }
    json.AddMember("alignmentHeads", heads, allocator);
    rapidjson::Value weightList(rapidjson::kArrayType);
    for (const auto& weight : weights) {
        rapidjson::Value entry(rapidjson::kObjectType);
        entry.AddMember("name", text(weight.name, allocator), allocator);
        entry.AddMember("dataType", text(multiArrayDataTypeNames.name(weight.dataType), allocator), allocator);
        entry.AddMember("shape", JSON::encode(weight.shape, allocator), allocator);
        entry.AddMember("offset", weight.offset, allocator);
        weightList.PushBack(entry, allocator);
    }
    json.AddMember("weights", weightList, allocator);
    return json;
}

} // namespace Platform::CoreML

#pragma once

// Small model folders for tests, and the inputs that go with them.

#include "Platform/CoreML/Folder/ModelManifest.h"
#include "Platform/CoreML/Kinds/ModelKinds.h"
#include "Platform/CoreML/Kinds/ScriptedDecoder.h"
#include "Platform/CoreML/Kinds/ShapeOnly.h"
#include "Platform/CoreML/MLFeatureProvider.h"
#include "tools/ModelFolder/ModelFolderBuilder.h"

#include <filesystem>
#include <string>
#include <vector>

namespace TestSupport {

using Platform::CoreML::MLFeatureDescription;
using Platform::CoreML::MLMultiArrayDataType;

inline MLFeatureDescription arrayFeature(std::string name, MLMultiArrayDataType dataType,
                                         std::vector<std::int64_t> shape)
{
    return {std::move(name), Platform::CoreML::MLFeatureType::multiArray,
            Platform::CoreML::MLMultiArrayConstraint{std::move(shape), dataType}};
}

inline MLFeatureDescription integerFeature(std::string name)
{
    return {std::move(name), Platform::CoreML::MLFeatureType::int64, std::nullopt};
}

// The kinds the folders below name are made for tests: they load only while
// a test holds this.
struct TestModelKinds {
    Platform::CoreML::ModelKindRegistration scriptedDecoder{"scripted-decoder", &Platform::CoreML::ScriptedDecoder::make};
    Platform::CoreML::ModelKindRegistration shapeOnly{"shape-only", &Platform::CoreML::ShapeOnly::make};
};

// A text decoder's geometry, small: E cache channels, S cache positions, D
// audio channels, W audio positions, V tokens.
struct DecoderGeometry {
    std::int64_t embed = 4;
    std::int64_t sequence = 8;
    std::int64_t audioEmbed = 6;
    std::int64_t window = 10;
    std::int64_t vocabulary = 16;
    bool alignment = true;
};

// A scripted decoder that chooses `tokens` at positions 0, 1, …; it declares
// the float inputs as 32-bit, as the decoder's input record does.
inline Platform::CoreML::ModelManifest scriptedDecoderManifest(const DecoderGeometry& g,
                                                               const std::vector<int>& tokens)
{
    using enum MLMultiArrayDataType;
    Platform::CoreML::ModelManifest manifest;
    manifest.kind = "scripted-decoder";
    rapidjson::Value list(rapidjson::kArrayType);
    for (int token : tokens)
        list.PushBack(token, manifest.hyperParameters.GetAllocator());
    manifest.hyperParameters.AddMember("tokens", list, manifest.hyperParameters.GetAllocator());
    manifest.inputs = {
        arrayFeature("input_ids", int32, {1}),
        arrayFeature("cache_length", int32, {1}),
        arrayFeature("key_cache", float32, {1, g.embed, 1, g.sequence}),
        arrayFeature("value_cache", float32, {1, g.embed, 1, g.sequence}),
        arrayFeature("kv_cache_update_mask", float32, {1, g.sequence}),
        arrayFeature("encoder_output_embeds", float32, {1, g.audioEmbed, 1, g.window}),
        arrayFeature("decoder_key_padding_mask", float32, {1, g.sequence}),
    };
    manifest.outputs = {
        arrayFeature("logits", float16, {1, 1, g.vocabulary}),
        arrayFeature("key_cache_updates", float16, {1, g.embed, 1, 1}),
        arrayFeature("value_cache_updates", float16, {1, g.embed, 1, 1}),
    };
    if (g.alignment)
        manifest.outputs.push_back(arrayFeature("alignment_heads_weights", float16, {1, g.window}));
    manifest.alignmentHeads = {{0, 1}, {1, 0}};
    return manifest;
}

// A shape-only model with the given features.
inline Platform::CoreML::ModelManifest shapeOnlyManifest(std::vector<MLFeatureDescription> inputs,
                                                         std::vector<MLFeatureDescription> outputs)
{
    Platform::CoreML::ModelManifest manifest;
    manifest.kind = "shape-only";
    manifest.inputs = std::move(inputs);
    manifest.outputs = std::move(outputs);
    return manifest;
}

// Writes parent/NAME.mlmodelc and returns its path.
inline std::filesystem::path writeModelFolder(const std::filesystem::path& parent, const std::string& name,
                                              Platform::CoreML::ModelManifest manifest)
{
    const auto folder = parent / (name + ".mlmodelc");
    QelTools::ModelFolderBuilder(std::move(manifest)).write(folder);
    return folder;
}

} // namespace TestSupport

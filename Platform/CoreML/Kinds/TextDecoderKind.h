#pragma once

#include "Platform/Concurrency/ObjectPool.h"
#include "Platform/CoreML/Folder/ModelManifest.h"
#include "Platform/CoreML/Kinds/CrossAttentionStore.h"
#include "Platform/CoreML/Kinds/ModelComputation.h"
#include "Platform/CoreML/MLModelDescription.h"
#include "Platform/ML/Whisper/WhisperDecoder.h"

#include <memory>
#include <optional>
#include <vector>

namespace Platform::CoreML {

class ModelFolder;

// One step of the text decoder of a Whisper model (the "decoder." weights),
// with the key-value cache held by the caller. Cache channel l·D + d holds
// layer l's channel d; E = layers · D, S cache positions, W audio positions.
// Inputs:
//   input_ids [1], cache_length [1]          the token and the position it sits at
//   key_cache, value_cache [1, E, 1, S]      what earlier steps returned
//   kv_cache_update_mask [1, S]              one-hot: where this token's key and value go
//   decoder_key_padding_mask [1, S]          0 where the token may look, -10000 elsewhere
//   encoder_output_embeds [1, D, 1, W]
// The token attends to itself and to every other position whose padding
// mask is 0; whatever the cache holds elsewhere plays no part. Outputs:
//   logits [1, 1, V]; key_cache_updates, value_cache_updates [1, E, 1, 1];
//   alignment_heads_weights [1, W] when declared: the cross-attention weights
//   of the description's alignment heads, averaged.
class TextDecoderKind : public ModelComputation {
public:
    static std::unique_ptr<ModelComputation> make(std::shared_ptr<const ModelFolder> folder);

    std::map<std::string, MLFeatureValue> predict(const MLFeatureProvider& inputs) const override;

private:
    // One caller's buffers.
    struct Workspace {
        Workspace(const Platform::ML::WhisperModel& model, std::int64_t cachePositions, bool alignment);

        Platform::ML::WhisperDecoder decoder;
        std::vector<float> paddingMask;
        std::vector<int> visible; // the cache positions the token sees
        // [E][S], those positions' keys and values first in each row, when
        // the positions do not lie at the start of the caller's cache.
        std::vector<float> keys, values;
        std::vector<Platform::ML::Float16> halfKeys, halfValues;
        std::vector<float> newKeys, newValues; // [E]
        std::vector<float> logits;
        std::vector<float> crossWeights;      // [layer][head][W]
        std::vector<float> alignment;         // [W]
        std::vector<float> audio, audioByPosition; // [D][W] and [W][D], when the cross attention is computed
    };

    explicit TextDecoderKind(Platform::ML::WhisperModel model);
    std::shared_ptr<const CrossAttentionStore::Cache> crossAttention(const MLMultiArray& audio,
                                                                     Workspace& workspace) const;
    // The cache positions the token sees: the caller's arrays themselves
    // when those are positions 0 onwards, else gathered into the workspace.
    Platform::ML::KeyValueCacheView cacheView(const MLMultiArray& keys, const MLMultiArray& values,
                                              Workspace& workspace) const;
    void averageAlignmentHeads(const Workspace& workspace, float* out) const;

    Platform::ML::WhisperModel model_;
    std::int64_t sequenceLength_ = 0;
    MLMultiArrayConstraint logits_;
    MLMultiArrayConstraint keyUpdates_;
    MLMultiArrayConstraint valueUpdates_;
    std::optional<MLMultiArrayConstraint> alignment_;
    std::vector<AlignmentHead> heads_;
    mutable CrossAttentionStore crossAttention_;
    mutable ObjectPool<Workspace> workspaces_;
};

} // namespace Platform::CoreML

#pragma once

#include "Platform/CoreML/Kinds/ModelComputation.h"
#include "Platform/CoreML/MLModelDescription.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace Platform::CoreML {

class ModelFolder;

// A one-step text decoder whose answers are written down in advance, so that
// the engine's decoding loop, segmenting and word timing can be tested
// exactly. Hyper-parameters: {"tokens": [ids]}, the token to choose at each
// cache position (the last one repeats past the end of the list). For a call
// at cache position p ("cache_length") fed token t ("input_ids"):
//   logits               kScriptedLogit at tokens[p], 0 elsewhere;
//   key_cache_updates    t in base 1024: t / 1024 in even channels, t % 1024
//                        in odd ones (exact in 16-bit floats);
//   value_cache_updates  p in every channel;
//   alignment_heads_weights (when declared) 1 at audio position ⌊p·W/S⌋,
//                        at most W − 1, and 0 elsewhere: a diagonal.
// Inputs as a text decoder has them: input_ids [1], cache_length [1],
// key_cache and value_cache [1, E, 1, S], kv_cache_update_mask [1, S],
// encoder_output_embeds [1, D, 1, W], decoder_key_padding_mask [1, S];
// outputs logits [1, 1, V], the two updates [1, E, 1, 1] (E ≥ 2) and the
// optional alignment [1, W].
class ScriptedDecoder : public ModelComputation {
public:
    // High enough that sampling at any usual temperature picks the scripted
    // token, low enough that exp() of it fits a float.
    static constexpr float kScriptedLogit = 30;

    static std::unique_ptr<ModelComputation> make(std::shared_ptr<const ModelFolder> folder);

    std::map<std::string, MLFeatureValue> predict(const MLFeatureProvider& inputs) const override;

private:
    ScriptedDecoder() = default;

    std::vector<std::int64_t> tokens_;
    std::int64_t sequenceLength_ = 0; // S
    std::int64_t windowSize_ = 0;     // W
    MLMultiArrayConstraint logits_;
    MLMultiArrayConstraint keyUpdates_;
    MLMultiArrayConstraint valueUpdates_;
    std::optional<MLMultiArrayConstraint> alignment_;
};

} // namespace Platform::CoreML

#pragma once

#include "RadozodEri/Core/DecodingInputsType.h"

#include <vector>

namespace RadozodEri {

// The text decoder's buffers for one audio, kept from window to window: the
// forced prompt, the token fed at the current step and its cache position,
// the key and value caches, the alignment weights, the one-hot mask of the
// cache position the next step writes, the mask of positions the model must
// ignore (0 to attend, -10000 to ignore), and what the context prefill made.
// One transcription uses it at a time.
class DecodingInputs : public DecodingInputsType {
public:
    DecodingInputs(std::vector<int> initialPrompt, Platform::CoreML::MLMultiArray inputIds,
                   Platform::CoreML::MLMultiArray cacheLength, Platform::CoreML::MLMultiArray keyCache,
                   Platform::CoreML::MLMultiArray valueCache, Platform::CoreML::MLMultiArray alignmentWeights,
                   Platform::CoreML::MLMultiArray kvCacheUpdateMask, Platform::CoreML::MLMultiArray decoderKeyPaddingMask,
                   Platform::CoreML::MLMultiArray prefillKeyCache, Platform::CoreML::MLMultiArray prefillValueCache);

    // Makes the next window start where the prefill left off: the cache
    // position becomes p (prefilledCacheSize); over the first n
    // (maxTokenContext) positions, positions up to p are unmasked, later ones
    // masked, and the update mask is one-hot at min(p, n − 1) (all 0 for a
    // negative p). The caches keep their entries; the masks' positions from n
    // on are left alone. Throws std::invalid_argument for a negative n and
    // std::out_of_range when the masks are shorter than n, changing nothing.
    void reset(int prefilledCacheSize, int maxTokenContext) override;

    Platform::CoreML::MLMultiArray keyCache;
    Platform::CoreML::MLMultiArray valueCache;
    Platform::CoreML::MLMultiArray alignmentWeights;
    Platform::CoreML::MLMultiArray kvCacheUpdateMask;
    Platform::CoreML::MLMultiArray decoderKeyPaddingMask;
    Platform::CoreML::MLMultiArray prefillKeyCache;
    Platform::CoreML::MLMultiArray prefillValueCache;
};

} // namespace RadozodEri

#pragma once

#include "Platform/CoreML/MLMultiArray.h"

#include <vector>

namespace RadozodEri {

// What every set of decoder buffers offers: the forced prompt, the token fed
// at the current step and its cache position, and the reset between windows.
// The decoder needs the full set of DecodingInputs wherever it touches the
// caches, and says so when it is given another kind.
class DecodingInputsType {
public:
    virtual ~DecodingInputsType() = default;

    virtual void reset(int prefilledCacheSize, int maxTokenContext) = 0;

    std::vector<int> initialPrompt;
    Platform::CoreML::MLMultiArray inputIds;
    Platform::CoreML::MLMultiArray cacheLength;

protected:
    DecodingInputsType(std::vector<int> initialPrompt, Platform::CoreML::MLMultiArray inputIds,
                       Platform::CoreML::MLMultiArray cacheLength)
        : initialPrompt(std::move(initialPrompt)), inputIds(std::move(inputIds)), cacheLength(std::move(cacheLength))
    {
    }
    DecodingInputsType(const DecodingInputsType&) = default;
    DecodingInputsType& operator=(const DecodingInputsType&) = default;
};

} // namespace RadozodEri

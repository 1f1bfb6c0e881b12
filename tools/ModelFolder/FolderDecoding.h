#pragma once

#include "Platform/CoreML/MLModel.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace QelTools {

// A new int32 array [1] holding `value`.
Platform::CoreML::MLMultiArray integerArray(int value);

// The array a prediction gave under `name`.
Platform::CoreML::MLMultiArray outputArray(const Platform::CoreML::MLFeatureProvider& outputs, const std::string& name);

// The output `result` of a prediction on one input.
Platform::CoreML::MLMultiArray predictArray(const Platform::CoreML::MLModel& model, const std::string& input,
                                            const Platform::CoreML::MLMultiArray& value, const std::string& result);

// Every element of an array, as floats.
std::vector<float> arrayFloats(const Platform::CoreML::MLMultiArray& array);

// A text decoder folder driven as the engine drives it, over one window's
// encoder output: caches of halves [1, E, 1, S], an integer update mask and a
// padding mask of halves. Each step opens its position in the padding mask,
// marks it for the update, and copies the step's key and value there.
class FolderDecoding {
public:
    using Inputs = std::map<std::string, Platform::CoreML::MLFeatureValue>;

    FolderDecoding(const Platform::CoreML::MLModel& decoder, Platform::CoreML::MLMultiArray audio);

    // Runs `token` at `position` and keeps its key and value.
    std::shared_ptr<const Platform::CoreML::MLFeatureProvider> step(int token, int position);

    // The inputs of that step, its position opened and marked; nothing runs.
    Inputs inputs(int token, int position);

    // Every position closed again, as a new window starts; the caches keep
    // what they hold.
    void restart();

    // The buffers, for tests that change them.
    Platform::CoreML::MLMultiArray keys, values, updateMask, paddingMask;

private:
    const Platform::CoreML::MLModel& decoder_;
    Platform::CoreML::MLMultiArray audio_;
    std::int64_t marked_ = -1;
};

} // namespace QelTools

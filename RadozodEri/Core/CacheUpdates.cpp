#include "RadozodEri/Core/TextDecoding.h"

namespace RadozodEri {

using Platform::CoreML::Float16;
using Platform::CoreML::MLMultiArray;

void TextDecoding::updateKVCache(MLMultiArray& keyTensor, const MLMultiArray& keySlice, MLMultiArray& valueTensor,
                                 const MLMultiArray& valueSlice, int insertAtIndex)
{
    // Channels are copied one after the other: a decoded token's slice holds
    // one element per channel, far too little work to hand to other threads.
    const auto keys = keyTensor.mutableValues<Float16>();
    const auto values = valueTensor.mutableValues<Float16>();
    const auto keyUpdates = keySlice.values<Float16>();
    const auto valueUpdates = valueSlice.values<Float16>();
    const auto& keyStrides = keyTensor.strides();
    const auto& valueStrides = valueTensor.strides();
    const auto& sliceStrides = keySlice.strides();
    const std::int64_t channels = keyTensor.shape()[1];
    const std::int64_t length = keySlice.shape()[3];
    for (std::int64_t channel = 0; channel < channels; ++channel) {
        for (std::int64_t k = 0; k < length; ++k) {
            const auto source = static_cast<std::size_t>(channel * sliceStrides[1] + k * sliceStrides[3]);
            const std::int64_t position = insertAtIndex + k;
            keys[static_cast<std::size_t>(channel * keyStrides[1] + position * keyStrides[3])] = keyUpdates[source];
            values[static_cast<std::size_t>(channel * valueStrides[1] + position * valueStrides[3])] =
                valueUpdates[source];
        }
    }
}

void TextDecoding::updateAlignmentWeights(MLMultiArray& alignmentTensor, const MLMultiArray& alignmentSlice,
                                          int insertAtIndex)
{
    const auto weights = alignmentTensor.mutableValues<Float16>();
    const auto slice = alignmentSlice.values<Float16>();
    const auto& strides = alignmentTensor.strides();
    const std::int64_t sliceStride = alignmentSlice.strides()[1];
    const std::int64_t row = insertAtIndex + 1;
    for (std::int64_t i = 0; i < alignmentTensor.shape()[1]; ++i)
        weights[static_cast<std::size_t>(row * strides[0] + i * strides[1])] =
            slice[static_cast<std::size_t>(i * sliceStride)];
}

} // namespace RadozodEri

#include "Platform/CoreML/Kinds/KindFeatures.h"

#include "Platform/CoreML/MLModelError.h"
#include "Platform/ML/Tensor/HalfFloat.h"

#include <algorithm>

namespace Platform::CoreML::KindFeatures {

MLMultiArrayConstraint requiredArray(const Features& features, const std::string& name, const char* side,
                                     std::initializer_list<std::int64_t> pattern)
{
    const auto found = features.find(name);
    if (found == features.end())
        throw MLModelError(std::string("the ") + side + " '" + name + "' is missing");
    const auto& constraint = found->second.multiArrayConstraint;
    if (!constraint)
        throw MLModelError(std::string("the ") + side + " '" + name + "' is not an array");
    const auto& shape = constraint->shape;
    bool matches = shape.size() == pattern.size();
    for (size_t i = 0; matches && i < shape.size(); ++i)
        matches = pattern.begin()[i] == 0 || pattern.begin()[i] == shape[i];
    if (!matches) {
        std::vector<std::int64_t> expected(pattern);
        throw MLModelError(std::string("the ") + side + " '" + name + "' has shape " + shapeText(shape)
                           + ", expected " + shapeText(expected) + " (0 for any extent)");
    }
    return *constraint;
}

MLMultiArrayConstraint requiredIntegers(const Features& features, const std::string& name, const char* side,
                                        std::initializer_list<std::int64_t> pattern)
{
    auto constraint = requiredArray(features, name, side, pattern);
    if (constraint.dataType != MLMultiArrayDataType::int32)
        throw MLModelError(std::string("the ") + side + " '" + name + "' is not an array of int32");
    return constraint;
}

MLMultiArrayConstraint requiredFloats(const Features& features, const std::string& name, const char* side,
                                      std::initializer_list<std::int64_t> pattern)
{
    auto constraint = requiredArray(features, name, side, pattern);
    if (constraint.dataType != MLMultiArrayDataType::float16 && constraint.dataType != MLMultiArrayDataType::float32)
        throw MLModelError(std::string("the ") + side + " '" + name + "' is not an array of float16 or float32");
    return constraint;
}

void refuseOtherOutputs(const Features& outputs, std::initializer_list<std::string_view> known, const char* kind)
{
    for (const auto& [name, feature] : outputs)
        if (std::find(known.begin(), known.end(), name) == known.end())
            throw MLModelError("the output '" + name + "' is not one " + kind + " makes");
}

std::optional<MLMultiArrayConstraint> optionalArray(const Features& features, const std::string& name,
                                                    const char* side, std::initializer_list<std::int64_t> pattern)
{
    if (!features.contains(name))
        return std::nullopt;
    return requiredArray(features, name, side, pattern);
}

std::map<std::string, MLFeatureValue> zeroValues(const Features& features)
{
    std::map<std::string, MLFeatureValue> values;
    for (const auto& [name, feature] : features) {
        if (const auto& constraint = feature.multiArrayConstraint)
            values.emplace(name, MLFeatureValue(MLMultiArray(constraint->shape, constraint->dataType)));
        else
            values.emplace(name, MLFeatureValue(std::int64_t{0}));
    }
    return values;
}

std::int64_t firstInteger(const MLFeatureProvider& inputs, const std::string& name)
{
    return inputs.featureValue(name)->multiArrayValue()->values<std::int32_t>()[0];
}

MLMultiArray inputArray(const MLFeatureProvider& inputs, const std::string& name)
{
    return *inputs.featureValue(name)->multiArrayValue();
}

const float* floatsOf(const MLMultiArray& array, std::vector<float>& scratch)
{
    if (array.dataType() == MLMultiArrayDataType::float32)
        return array.values<float>().data();
    scratch.resize(static_cast<std::size_t>(array.count()));
    Platform::ML::widenHalfFloats(reinterpret_cast<const std::byte*>(array.values<Float16>().data()), scratch.size(),
                                  scratch.data());
    return scratch.data();
}

MLMultiArray floatArray(const MLMultiArrayConstraint& constraint, const float* values)
{
    MLMultiArray array(constraint.shape, constraint.dataType);
    const auto count = static_cast<std::size_t>(array.count());
    if (constraint.dataType == MLMultiArrayDataType::float32)
        std::copy_n(values, count, array.mutableValues<float>().data());
    else
        Platform::ML::narrowToHalfFloats(values, count, array.mutableBytes());
    return array;
}

} // namespace Platform::CoreML::KindFeatures

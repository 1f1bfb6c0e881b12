#pragma once

#include "Platform/CoreML/MLFeatureProvider.h"
#include "Platform/CoreML/MLModelDescription.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the kinds ask of the features a folder declares.
namespace Platform::CoreML::KindFeatures {

using Features = std::map<std::string, MLFeatureDescription>;

// An array feature the kind needs, its shape matched against a pattern of
// extents in which 0 stands for any. Throws MLModelError when the feature is
// missing, not an array, or of another shape; `side` is "input" or "output".
MLMultiArrayConstraint requiredArray(const Features& features, const std::string& name, const char* side,
                                     std::initializer_list<std::int64_t> pattern);

// The same for an array of 32-bit integers.
MLMultiArrayConstraint requiredIntegers(const Features& features, const std::string& name, const char* side,
                                        std::initializer_list<std::int64_t> pattern);

// The same for an array of 16- or 32-bit floats, the types the kinds read and write.
MLMultiArrayConstraint requiredFloats(const Features& features, const std::string& name, const char* side,
                                      std::initializer_list<std::int64_t> pattern);

// The same for a feature the kind can do without: nothing when it is not declared.
std::optional<MLMultiArrayConstraint> optionalArray(const Features& features, const std::string& name,
                                                    const char* side, std::initializer_list<std::int64_t> pattern);

// Throws MLModelError naming the first output that is not one of `known`.
void refuseOtherOutputs(const Features& outputs, std::initializer_list<std::string_view> known, const char* kind);

// Zeros of every feature's shape and element type (0 for an integer feature).
std::map<std::string, MLFeatureValue> zeroValues(const Features& features);

// Element 0 of an input the kind required with requiredIntegers.
std::int64_t firstInteger(const MLFeatureProvider& inputs, const std::string& name);

// An array input the kind required; prediction has checked that it is given.
MLMultiArray inputArray(const MLFeatureProvider& inputs, const std::string& name);

// The elements of an array of 16- or 32-bit floats as floats: the array's own
// when it holds floats, else widened into `scratch`.
const float* floatsOf(const MLMultiArray& array, std::vector<float>& scratch);

// A new array of the constraint's shape and type (16- or 32-bit floats)
// holding `values`, one per element.
MLMultiArray floatArray(const MLMultiArrayConstraint& constraint, const float* values);

} // namespace Platform::CoreML::KindFeatures

#pragma once

#include "Platform/CoreML/MLMultiArray.h"
#include "Platform/EnumNames.h"

#include <cstdint>
#include <optional>
#include <variant>

namespace Platform::CoreML {

// What a model's input or output is: an array, or (so that callers' handling
// of values that are not arrays can be exercised) a single integer.
enum class MLFeatureType { int64, multiArray };

inline constexpr EnumNames featureTypeNames{std::array{
    std::pair{MLFeatureType::int64, std::string_view("int64")},
    std::pair{MLFeatureType::multiArray, std::string_view("multiArray")},
}};

// One input or output value of a model.
class MLFeatureValue {
public:
    explicit MLFeatureValue(MLMultiArray multiArray) : value_(std::move(multiArray)) {}
    explicit MLFeatureValue(std::int64_t int64) : value_(int64) {}

    MLFeatureType type() const
    {
        return std::holds_alternative<MLMultiArray>(value_) ? MLFeatureType::multiArray : MLFeatureType::int64;
    }
    // Nothing for a value that is not an array.
    std::optional<MLMultiArray> multiArrayValue() const
    {
        if (const auto* array = std::get_if<MLMultiArray>(&value_))
            return *array;
        return std::nullopt;
    }
    // 0 for a value that is not an integer.
    std::int64_t int64Value() const
    {
        const auto* number = std::get_if<std::int64_t>(&value_);
        return number ? *number : 0;
    }

private:
    std::variant<std::int64_t, MLMultiArray> value_;
};

} // namespace Platform::CoreML

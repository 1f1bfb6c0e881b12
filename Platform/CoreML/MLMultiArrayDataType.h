#pragma once

#include "Platform/EnumNames.h"
#include "Platform/ML/Tensor/Float16.h"

#include <cstddef>
#include <cstdint>

namespace Platform::CoreML {

using Platform::ML::Float16;

enum class MLMultiArrayDataType { float16, float32, float64, int32 };

// The names model folders spell the types with.
inline constexpr EnumNames multiArrayDataTypeNames{std::array{
    std::pair{MLMultiArrayDataType::float16, std::string_view("float16")},
    std::pair{MLMultiArrayDataType::float32, std::string_view("float32")},
    std::pair{MLMultiArrayDataType::float64, std::string_view("float64")},
    std::pair{MLMultiArrayDataType::int32, std::string_view("int32")},
}};

constexpr std::size_t elementSize(MLMultiArrayDataType type)
{
    switch (type) {
    case MLMultiArrayDataType::float16: return 2;
    case MLMultiArrayDataType::float64: return 8;
    case MLMultiArrayDataType::float32:
    case MLMultiArrayDataType::int32: break;
    }
    return 4;
}

constexpr bool isFloatingPoint(MLMultiArrayDataType type) { return type != MLMultiArrayDataType::int32; }

// The data type whose elements are C++ values of type T; only these four
// types have one.
template <class T>
struct MLMultiArrayElement;
template <>
struct MLMultiArrayElement<Float16> {
    static constexpr MLMultiArrayDataType dataType = MLMultiArrayDataType::float16;
};
template <>
struct MLMultiArrayElement<float> {
    static constexpr MLMultiArrayDataType dataType = MLMultiArrayDataType::float32;
};
template <>
struct MLMultiArrayElement<double> {
    static constexpr MLMultiArrayDataType dataType = MLMultiArrayDataType::float64;
};
template <>
struct MLMultiArrayElement<std::int32_t> {
    static constexpr MLMultiArrayDataType dataType = MLMultiArrayDataType::int32;
};

template <class T>
concept MLMultiArrayScalar = requires { MLMultiArrayElement<T>::dataType; };

} // namespace Platform::CoreML

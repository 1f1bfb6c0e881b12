#pragma once

// Generic JSON coding for values and records. A record takes part by offering
//     rapidjson::Value toJSON(Platform::JSON::Allocator&) const;
//     static Record fromJSON(const rapidjson::Value&);
// Booleans, integers, floating-point numbers, strings, optionals (null when
// empty) and vectors of any of these are coded directly.

#include <charconv>
#include <concepts>
#include <cstdint>
#include <limits>
#include <optional>
#include <rapidjson/document.h>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

namespace Platform::JSON {

using Allocator = rapidjson::Document::AllocatorType;

// A JSON value that does not have the shape the decoded type needs.
class DecodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

template <class T>
concept SelfCoding = requires(const T& value, Allocator& allocator, const rapidjson::Value& json) {
    { value.toJSON(allocator) } -> std::convertible_to<rapidjson::Value>;
    { T::fromJSON(json) } -> std::convertible_to<T>;
};

template <class T>
struct Coding;

template <class T>
rapidjson::Value encode(const T& value, Allocator& allocator)
{
    if constexpr (SelfCoding<T>)
        return value.toJSON(allocator);
    else
        return Coding<T>::encode(value, allocator);
}

template <class T>
T decode(const rapidjson::Value& json)
{
    if constexpr (SelfCoding<T>)
        return T::fromJSON(json);
    else
        return Coding<T>::decode(json);
}

template <>
struct Coding<bool> {
    static rapidjson::Value encode(bool value, Allocator&) { return rapidjson::Value(value); }
    static bool decode(const rapidjson::Value& json)
    {
        if (!json.IsBool())
            throw DecodingError("Expected a Boolean");
        return json.GetBool();
    }
};

template <class T>
    requires std::integral<T> && (!std::same_as<T, bool>)
struct Coding<T> {
    static rapidjson::Value encode(T value, Allocator&)
    {
        if constexpr (std::is_signed_v<T>)
            return rapidjson::Value(static_cast<std::int64_t>(value));
        else
            return rapidjson::Value(static_cast<std::uint64_t>(value));
    }
    static T decode(const rapidjson::Value& json)
    {
        if (json.IsInt64()) {
            std::int64_t number = json.GetInt64();
            if (std::in_range<T>(number))
                return static_cast<T>(number);
        } else if (json.IsUint64()) {
            std::uint64_t number = json.GetUint64();
            if (std::in_range<T>(number))
                return static_cast<T>(number);
        }
        throw DecodingError("Expected an integer that fits");
    }
};

template <class T>
    requires std::floating_point<T>
struct Coding<T> {
    static rapidjson::Value encode(T value, Allocator&)
    {
        if constexpr (std::same_as<T, float>) {
            // Write a float by its own shortest form (0.1f as 0.1, not as the
            // double nearest to it).
            char text[32];
            auto end = std::to_chars(text, text + sizeof text, value).ptr;
            double widened = value;
            std::from_chars(text, end, widened);
            return rapidjson::Value(widened);
        } else {
            return rapidjson::Value(static_cast<double>(value));
        }
    }
    static T decode(const rapidjson::Value& json)
    {
        if (!json.IsNumber())
            throw DecodingError("Expected a number");
        return static_cast<T>(json.GetDouble());
    }
};

template <>
struct Coding<std::string> {
    static rapidjson::Value encode(const std::string& value, Allocator& allocator)
    {
        return rapidjson::Value(value.data(), static_cast<rapidjson::SizeType>(value.size()), allocator);
    }
    static std::string decode(const rapidjson::Value& json)
    {
        if (!json.IsString())
            throw DecodingError("Expected a string");
        return std::string(json.GetString(), json.GetStringLength());
    }
};

template <class T>
struct Coding<std::optional<T>> {
    static rapidjson::Value encode(const std::optional<T>& value, Allocator& allocator)
    {
        return value ? JSON::encode(*value, allocator) : rapidjson::Value(rapidjson::kNullType);
    }
    static std::optional<T> decode(const rapidjson::Value& json)
    {
        if (json.IsNull())
            return std::nullopt;
        return JSON::decode<T>(json);
    }
};

template <class T>
struct Coding<std::vector<T>> {
    static rapidjson::Value encode(const std::vector<T>& values, Allocator& allocator)
    {
        rapidjson::Value array(rapidjson::kArrayType);
        array.Reserve(static_cast<rapidjson::SizeType>(values.size()), allocator);
        for (const auto& value : values)
            array.PushBack(JSON::encode(value, allocator), allocator);
        return array;
    }
    static std::vector<T> decode(const rapidjson::Value& json)
    {
        if (!json.IsArray())
            throw DecodingError("Expected an array");
        std::vector<T> values;
        values.reserve(json.Size());
        for (const auto& element : json.GetArray())
            values.push_back(JSON::decode<T>(element));
        return values;
    }
};

} // namespace Platform::JSON

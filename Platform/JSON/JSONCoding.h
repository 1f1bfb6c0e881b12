#pragma once

// Generic JSON coding for values and records. A record takes part by offering
//     rapidjson::Value toJSON(Platform::JSON::Allocator&) const;
//     static Record fromJSON(const rapidjson::Value&);
// and builds its object with encodeMember/decodeMember below, so every record
// treats keys alike: an optional member is written only when present and reads
// as absent when missing or null; any other member is required; unknown keys
// are ignored. Booleans, integers, floating-point numbers, strings, optionals
// (null when empty), vectors and integer-keyed maps of any of these are coded
// directly.

#include <charconv>
#include <cmath>
#include <concepts>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <rapidjson/document.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace Platform::JSON {

using Allocator = rapidjson::Document::AllocatorType;

// Where a value sits in a JSON document: member keys, and array positions as
// decimal text, outermost first. Every reader of JSON in the tree names places
// this way.
using CodingPath = std::vector<std::string>;

// The path as a reader writes it, "inputs[2].shape[1]": positions in brackets,
// keys after a dot. Empty for the document itself.
inline std::string pathText(const CodingPath& path)
{
    std::string text;
    for (const std::string& component : path) {
        const bool position = !component.empty() && component.find_first_not_of("0123456789") == std::string::npos;
        if (position)
            text += "[" + component + "]";
        else
            text += (text.empty() ? "" : ".") + component;
    }
    return text;
}

// A JSON value that does not have the shape the decoded type needs. The
// description says what is wrong; the coding path says where.
class DecodingError : public std::runtime_error {
public:
    explicit DecodingError(const std::string& description, CodingPath codingPath = {})
        : std::runtime_error(description), codingPath_(std::move(codingPath))
    {
    }

    const CodingPath& codingPath() const { return codingPath_; }

    // The same error seen from one level further out.
    DecodingError inside(std::string component) const
    {
        CodingPath path;
        path.reserve(codingPath_.size() + 1);
        path.push_back(std::move(component));
        path.insert(path.end(), codingPath_.begin(), codingPath_.end());
        return DecodingError(what(), std::move(path));
    }

private:
    CodingPath codingPath_;
};

// Runs `decode` and puts `component` in front of the path of any decoding error.
template <class Decode>
auto decodingAt(std::string_view component, Decode&& decode) -> decltype(decode())
{
    try {
        return std::forward<Decode>(decode)();
    } catch (const DecodingError& error) {
        throw error.inside(std::string(component));
    }
}

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
        const double number = json.GetDouble();
        if (std::isfinite(number) && std::isinf(static_cast<T>(number))) {
            char text[32];
            throw DecodingError("The number " + std::string(text, std::to_chars(text, text + sizeof text, number).ptr)
                                + " does not fit a 32-bit float");
        }
        return static_cast<T>(number);
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
            values.push_back(decodingAt(std::to_string(values.size()), [&] { return JSON::decode<T>(element); }));
        return values;
    }
};

// The name of an object member, copied into the allocator.
inline rapidjson::Value memberKey(std::string_view key, Allocator& allocator)
{
    return rapidjson::Value(key.data(), static_cast<rapidjson::SizeType>(key.size()), allocator);
}

// A map keyed by integers is an object keyed by their decimal text.
template <class Key, class T>
    requires std::integral<Key>
struct Coding<std::map<Key, T>> {
    static rapidjson::Value encode(const std::map<Key, T>& values, Allocator& allocator)
    {
        rapidjson::Value object(rapidjson::kObjectType);
        for (const auto& [key, value] : values) {
            object.AddMember(memberKey(std::to_string(key), allocator), JSON::encode(value, allocator), allocator);
        }
        return object;
    }
    static std::map<Key, T> decode(const rapidjson::Value& json)
    {
        if (!json.IsObject())
            throw DecodingError("Expected an object");
        std::map<Key, T> values;
        for (const auto& member : json.GetObject()) {
            const std::string_view text(member.name.GetString(), member.name.GetStringLength());
            Key key {};
            auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), key);
            if (error != std::errc() || end != text.data() + text.size())
                throw DecodingError("Expected an integer key, found \"" + std::string(text) + "\"");
            values.insert_or_assign(key, decodingAt(text, [&] { return JSON::decode<T>(member.value); }));
        }
        return values;
    }
};

// Members of records.

template <class T>
void encodeMember(rapidjson::Value& object, std::string_view key, const T& value, Allocator& allocator)
{
    object.AddMember(memberKey(key, allocator), JSON::encode(value, allocator), allocator);
}

// Written only when present.
template <class T>
void encodeOptionalMember(rapidjson::Value& object, std::string_view key, const std::optional<T>& value,
                          Allocator& allocator)
{
    if (value)
        encodeMember(object, key, *value, allocator);
}

inline const rapidjson::Value* findMember(const rapidjson::Value& object, std::string_view key)
{
    if (!object.IsObject())
        throw DecodingError("Expected an object");
    auto member = object.FindMember(rapidjson::Value(rapidjson::StringRef(key.data(), key.size())));
    return member == object.MemberEnd() ? nullptr : &member->value;
}

// A required member: a missing key fails, naming the key.
template <class T>
T decodeMember(const rapidjson::Value& object, std::string_view key)
{
    const rapidjson::Value* value = findMember(object, key);
    if (!value)
        throw DecodingError("No value for the key \"" + std::string(key) + "\"");
    return decodingAt(key, [&] { return JSON::decode<T>(*value); });
}

// An optional member: missing or null reads as absent.
template <class T>
std::optional<T> decodeOptionalMember(const rapidjson::Value& object, std::string_view key)
{
    const rapidjson::Value* value = findMember(object, key);
    if (!value || value->IsNull())
        return std::nullopt;
    return decodingAt(key, [&] { return JSON::decode<T>(*value); });
}

} // namespace Platform::JSON

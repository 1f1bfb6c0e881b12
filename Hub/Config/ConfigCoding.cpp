#include "Hub/Config/ConfigCoding.h"

#include <cmath>
#include <limits>

using Hub::BinaryDistinctString;
using Hub::Config;
using Platform::JSON::Allocator;

namespace {

rapidjson::Value textValue(const BinaryDistinctString& text, Allocator& allocator)
{
    return Platform::JSON::encode(text.string(), allocator);
}

BinaryDistinctString textOf(const rapidjson::Value& string)
{
    return BinaryDistinctString(std::string_view(string.GetString(), string.GetStringLength()));
}

// A number that a 32-bit float holds without overflowing to infinity.
bool fitsFloat(const rapidjson::Value& number)
{
    const double value = number.GetDouble();
    return !std::isfinite(value) || std::fabs(value) <= std::numeric_limits<float>::max();
}

} // namespace

rapidjson::Value Platform::JSON::Coding<Config>::encode(const Config& value, Allocator& allocator)
{
    using Case = Config::Data::Case;
    const Config::Data::Storage& storage = value.value().storage();
    switch (value.value().kind()) {
    case Case::string: return textValue(std::get<BinaryDistinctString>(storage), allocator);
    case Case::integer: return rapidjson::Value(std::get<std::int64_t>(storage));
    case Case::boolean: return rapidjson::Value(std::get<bool>(storage));
    case Case::floating: return Platform::JSON::encode(std::get<float>(storage), allocator);
    case Case::dictionary: {
        rapidjson::Value object(rapidjson::kObjectType);
        for (const auto& [key, element] : *std::get<std::shared_ptr<const Config::Dictionary>>(storage))
            object.AddMember(textValue(key, allocator), encode(element, allocator), allocator);
        return object;
    }
    case Case::array: {
        const Config::Array& elements = *std::get<std::shared_ptr<const Config::Array>>(storage);
        rapidjson::Value array(rapidjson::kArrayType);
        array.Reserve(static_cast<rapidjson::SizeType>(elements.size()), allocator);
        for (const Config& element : elements)
            array.PushBack(encode(element, allocator), allocator);
        return array;
    }
    case Case::token: {
        const auto& [id, text] = std::get<Config::Token>(storage);
        rapidjson::Value pair(rapidjson::kArrayType);
        pair.PushBack(rapidjson::Value(id), allocator);
        pair.PushBack(textValue(text, allocator), allocator);
        return pair;
    }
    case Case::null: break;
    }
    return rapidjson::Value(rapidjson::kNullType);
}

Config Platform::JSON::Coding<Config>::decode(const rapidjson::Value& json)
{
    if (json.IsNull())
        return Config();
    if (json.IsInt64())
        return Config(json.GetInt64());
    if (json.IsNumber() && fitsFloat(json))
        return Config(static_cast<float>(json.GetDouble()));
    if (json.IsBool())
        return Config(json.GetBool());
    if (json.IsString())
        return Config(textOf(json));
    if (json.IsArray()) {
        if (json.Size() == 2 && json[0].IsUint64() && json[1].IsString())
            return Config(Config::Token(json[0].GetUint64(), textOf(json[1])));
        Config::Array elements;
        elements.reserve(json.Size());
        for (const rapidjson::Value& element : json.GetArray())
            elements.push_back(decode(element));
        return Config(std::move(elements));
    }
    if (json.IsObject()) {
        Config::Dictionary dictionary;
        for (const auto& member : json.GetObject())
            dictionary.insert_or_assign(textOf(member.name), decode(member.value));
        return Config(std::move(dictionary));
    }
    return Config();
}

#include "Hub/Config/ConfigObjectTree.h"

#include <cmath>
#include <cstdint>

namespace Hub {

namespace {

BinaryDistinctString textOf(const rapidjson::Value& string)
{
    return BinaryDistinctString(std::string_view(string.GetString(), string.GetStringLength()));
}

Config numberOf(const rapidjson::Value& number)
{
    if (number.IsInt64())
        return Config(number.GetInt64());
    if (number.IsUint64())
        return Config(static_cast<float>(number.GetUint64()));
    const double value = number.GetDouble();
    // Integral values of the signed 64-bit range, -2^63 included and 2^63 not.
    if (std::trunc(value) == value && value >= -0x1p63 && value < 0x1p63)
        return Config(static_cast<std::int64_t>(value));
    return Config(static_cast<float>(value));
}

} // namespace

Config configFromObjectTree(const rapidjson::Value& tree)
{
    switch (tree.GetType()) {
    case rapidjson::kObjectType: {
        Config::Dictionary dictionary;
        dictionary.reserve(tree.MemberCount());
        for (const auto& member : tree.GetObject())
            dictionary.insert_or_assign(textOf(member.name), configFromObjectTree(member.value));
        return Config(std::move(dictionary));
    }
    case rapidjson::kArrayType: {
        Config::Array elements;
        elements.reserve(tree.Size());
        for (const rapidjson::Value& element : tree.GetArray())
            elements.push_back(configFromObjectTree(element));
        return Config(std::move(elements));
    }
    case rapidjson::kStringType: return Config(textOf(tree));
    case rapidjson::kNumberType: return numberOf(tree);
    case rapidjson::kTrueType: return Config(1);
    case rapidjson::kFalseType: return Config(0);
    case rapidjson::kNullType: break;
    }
    return Config();
}

} // namespace Hub

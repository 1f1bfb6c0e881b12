#include "Jinja/Runtime/EncodingError.h"
#include "Jinja/Runtime/Limits.h"
#include "Jinja/Runtime/Value.h"

#include <algorithm>

namespace Jinja {

namespace {

rapidjson::Value encoded(const Value& value, Platform::JSON::Allocator& allocator, std::vector<std::string>& path)
{
    if (value.isBoolean())
        return rapidjson::Value(value.asBoolean());
    if (value.isInt())
        return rapidjson::Value(value.asInt());
    if (value.isDouble())
        return rapidjson::Value(value.asDouble());
    if (value.isString())
        return Platform::JSON::encode(value.asString().utf8(), allocator);
    if (value.isMacro())
        return value.asMacro().toJSON(allocator);
    if (value.isFunction())
        throw EncodingError("Cannot encode function values", path);
    if (value.isArray()) {
        rapidjson::Value array(rapidjson::kArrayType);
        for (std::size_t index = 0; index < value.asArray().size(); ++index) {
            path.push_back(std::to_string(index));
            array.PushBack(encoded(value.asArray()[index], allocator, path), allocator);
            path.pop_back();
        }
        return array;
    }
    if (value.isObject()) {
        std::vector<std::pair<const String*, const Value*>> members;
        for (const auto& [key, member] : value.asObject())
            members.emplace_back(&key, &member);
        std::sort(members.begin(), members.end(), [](const auto& a, const auto& b) { return *a.first < *b.first; });
        rapidjson::Value object(rapidjson::kObjectType);
        for (const auto& [key, member] : members) {
            path.push_back(key->utf8());
            rapidjson::Value name = Platform::JSON::encode(key->utf8(), allocator);
            object.AddMember(name, encoded(*member, allocator, path), allocator);
            path.pop_back();
        }
        return object;
    }
    return rapidjson::Value(rapidjson::kNullType);
}

Value decoded(const rapidjson::Value& json, int depth)
{
    if (json.IsNull())
        return Value::null();
    if (json.IsString())
        return Value(std::string(json.GetString(), json.GetStringLength()));
    if (json.IsInt64())
        return Value(json.GetInt64());
    if (json.IsNumber())
        return Value(json.GetDouble());
    if (json.IsBool())
        return Value(json.GetBool());
    if (depth >= maximumNestingDepth)
        throw Platform::JSON::DecodingError("Value nested too deeply");
    if (json.IsArray()) {
        Array elements;
        elements.reserve(json.Size());
        for (rapidjson::SizeType index = 0; index < json.Size(); ++index) {
            elements.push_back(
                Platform::JSON::decodingAt(std::to_string(index), [&] { return decoded(json[index], depth + 1); }));
        }
        return Value(std::move(elements));
    }
    // Objects keep no member order, so members go in by ascending key.
    std::vector<std::pair<String, const rapidjson::Value*>> members;
    for (const auto& member : json.GetObject())
        members.emplace_back(String(std::string(member.name.GetString(), member.name.GetStringLength())),
                             &member.value);
    std::sort(members.begin(), members.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    Object object;
    for (const auto& [key, member] : members)
        object.set(key, Platform::JSON::decodingAt(key.utf8(), [&] { return decoded(*member, depth + 1); }));
    return Value(std::move(object));
}

} // namespace

rapidjson::Value Value::toJSON(Platform::JSON::Allocator& allocator) const
{
    std::vector<std::string> path;
    return encoded(*this, allocator, path);
}

Value Value::fromJSON(const rapidjson::Value& json)
{
    return decoded(json, 0);
}

} // namespace Jinja

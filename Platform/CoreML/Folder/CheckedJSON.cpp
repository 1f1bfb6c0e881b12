#include "Platform/CoreML/Folder/CheckedJSON.h"

namespace Platform::CoreML::CheckedJSON {

using JSON::DecodingError;

CodingPath element(const CodingPath& where, std::size_t index)
{
    CodingPath path = where;
    path.push_back(std::to_string(index));
    return path;
}

CodingPath field(const CodingPath& where, const char* key)
{
    CodingPath path = where;
    path.emplace_back(key);
    return path;
}

std::string modelErrorText(const DecodingError& error)
{
    const std::string place = JSON::pathText(error.codingPath());
    return (place.empty() ? std::string("The description") : place) + " " + error.what();
}

const rapidjson::Value* optionalMember(const rapidjson::Value& object, const char* key, const CodingPath& where)
{
    if (!object.IsObject())
        throw DecodingError("is not an object", where);
    const auto found = object.FindMember(key);
    return found == object.MemberEnd() ? nullptr : &found->value;
}

const rapidjson::Value& member(const rapidjson::Value& object, const char* key, const CodingPath& where)
{
    if (const rapidjson::Value* value = optionalMember(object, key, where))
        return *value;
    throw DecodingError("is missing", field(where, key));
}

std::string string(const rapidjson::Value& value, const CodingPath& where)
{
    if (!value.IsString() || value.GetStringLength() == 0)
        throw DecodingError("is not a non-empty text", where);
    return {value.GetString(), value.GetStringLength()};
}

std::int64_t integer(const rapidjson::Value& value, const CodingPath& where, std::int64_t minimum, std::int64_t maximum)
{
    if (!value.IsInt64())
        throw DecodingError("is not an integer", where);
    const std::int64_t number = value.GetInt64();
    if (number < minimum || number > maximum)
        throw DecodingError("is " + std::to_string(number) + "; it must lie between " + std::to_string(minimum) +
                                " and " + std::to_string(maximum),
                            where);
    return number;
}

rapidjson::Value::ConstArray array(const rapidjson::Value& value, const CodingPath& where)
{
    if (!value.IsArray())
        throw DecodingError("is not a list", where);
    return value.GetArray();
}

} // namespace Platform::CoreML::CheckedJSON

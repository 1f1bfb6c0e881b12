#include "Platform/CoreML/Folder/CheckedJSON.h"

#include "Platform/CoreML/MLModelError.h"

namespace Platform::CoreML::CheckedJSON {

std::string element(const std::string& where, std::size_t index)
{
    return where + "[" + std::to_string(index) + "]";
}

std::string field(const std::string& where, const char* key)
{
    return where.empty() ? std::string(key) : where + "." + key;
}

const rapidjson::Value* optionalMember(const rapidjson::Value& object, const char* key, const std::string& where)
{
    if (!object.IsObject())
        throw MLModelError((where.empty() ? std::string("The description") : where) + " is not an object");
    const auto found = object.FindMember(key);
    return found == object.MemberEnd() ? nullptr : &found->value;
}

const rapidjson::Value& member(const rapidjson::Value& object, const char* key, const std::string& where)
{
    if (const rapidjson::Value* value = optionalMember(object, key, where))
        return *value;
    throw MLModelError(field(where, key) + " is missing");
}

std::string string(const rapidjson::Value& value, const std::string& where)
{
    if (!value.IsString() || value.GetStringLength() == 0)
        throw MLModelError(where + " is not a non-empty text");
    return {value.GetString(), value.GetStringLength()};
}

std::int64_t integer(const rapidjson::Value& value, const std::string& where, std::int64_t minimum,
                     std::int64_t maximum)
{
    if (!value.IsInt64())
        throw MLModelError(where + " is not an integer");
    const std::int64_t number = value.GetInt64();
    if (number < minimum || number > maximum)
        throw MLModelError(where + " is " + std::to_string(number) + "; it must lie between "
                           + std::to_string(minimum) + " and " + std::to_string(maximum));
    return number;
}

rapidjson::Value::ConstArray array(const rapidjson::Value& value, const std::string& where)
{
    if (!value.IsArray())
        throw MLModelError(where + " is not a list");
    return value.GetArray();
}

} // namespace Platform::CoreML::CheckedJSON

#include "Hub/Config/YYJSONParser.h"

#include "Platform/JSON/JSONDocument.h"

namespace Hub::YYJSONParser {

namespace {

Config convertToConfig(const rapidjson::Value& value);

Config convertArrayToConfig(const rapidjson::Value& array)
{
    Config::Array elements;
    elements.reserve(array.Size());
    for (const rapidjson::Value& element : array.GetArray())
        elements.push_back(convertToConfig(element));
    return Config(std::move(elements));
}

BinaryDistinctString textUpToNul(const rapidjson::Value& string)
{
    const std::string_view text(string.GetString(), string.GetStringLength());
    return BinaryDistinctString(text.substr(0, text.find('\0')));
}

Config convertObjectToConfig(const rapidjson::Value& object)
{
    Config::Dictionary dictionary;
    dictionary.reserve(object.MemberCount());
    for (const auto& member : object.GetObject())
        dictionary.insert_or_assign(textUpToNul(member.name), convertToConfig(member.value));
    return Config(std::move(dictionary));
}

// The reader refuses documents nested deeper than its limit, which bounds the
// recursion here.
Config convertToConfig(const rapidjson::Value& value)
{
    switch (value.GetType()) {
    case rapidjson::kNullType: return Config();
    case rapidjson::kFalseType:
    case rapidjson::kTrueType: return Config(value.GetBool());
    case rapidjson::kStringType: return Config(textUpToNul(value));
    case rapidjson::kArrayType: return convertArrayToConfig(value);
    case rapidjson::kObjectType: return convertObjectToConfig(value);
    case rapidjson::kNumberType:
        if (value.IsInt64())
            return Config(value.GetInt64());
        if (value.IsUint64())
            return Config(static_cast<float>(value.GetUint64()));
        return Config(static_cast<float>(value.GetDouble()));
    }
    return Config();
}

} // namespace

ParseError::ParseError(Kind kind, const std::string& description, std::uint32_t code, std::string message,
                       std::int64_t position)
    : std::runtime_error(description), kind_(kind), code_(code), message_(std::move(message)), position_(position)
{
}

ParseError ParseError::readFailed(std::uint32_t code, const std::string& message, std::int64_t position)
{
    return ParseError(Kind::readFailed,
                      "yyjson read failed (code " + std::to_string(code) + ") at position " + std::to_string(position) +
                          ": " + message,
                      code, message, position);
}

ParseError ParseError::nullDocument()
{
    return ParseError(Kind::nullDocument, "yyjson returned null document", 0, "", 0);
}

Config parseToConfig(std::string_view data)
{
    if (data.empty())
        throw ParseError::readFailed(0, "empty data", 0);
    rapidjson::Document document;
    try {
        document = Platform::JSON::parseDocument(
            data, {.allowNanAndInfinity = true, .requireValidUTF8 = true, .fullPrecision = true});
    } catch (const Platform::JSON::ParseError& error) {
        throw ParseError::readFailed(error.code(), error.problem(), static_cast<std::int64_t>(error.offset()));
    }
    return convertToConfig(document);
}

} // namespace Hub::YYJSONParser

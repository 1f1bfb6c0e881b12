#pragma once

// Records to JSON text and back, as a file would hold them.

#include "Platform/JSON/JSONCoding.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <stdexcept>
#include <string>
#include <string_view>

namespace TestSupport {

template <class T>
std::string encodedText(const T& value)
{
    rapidjson::Document document;
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    Platform::JSON::encode(value, document.GetAllocator()).Accept(writer);
    return buffer.GetString();
}

template <class T>
T decodedText(std::string_view text)
{
    rapidjson::Document document;
    document.Parse(text.data(), text.size());
    if (document.HasParseError())
        throw std::invalid_argument("test JSON does not parse");
    return Platform::JSON::decode<T>(document);
}

} // namespace TestSupport

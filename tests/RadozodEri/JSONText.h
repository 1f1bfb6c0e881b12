#pragma once

// Records to JSON text and back, as a file would hold them.

#include "Platform/JSON/JSONCoding.h"
#include "Platform/JSON/JSONDocument.h"

#include <string>
#include <string_view>

namespace TestSupport {

template <class T>
std::string encodedText(const T& value)
{
    rapidjson::Document document;
    return Platform::JSON::serialize(Platform::JSON::encode(value, document.GetAllocator()));
}

template <class T>
T decodedText(std::string_view text)
{
    return Platform::JSON::decode<T>(Platform::JSON::parseDocument(text));
}

} // namespace TestSupport

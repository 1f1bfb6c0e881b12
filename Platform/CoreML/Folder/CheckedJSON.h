#pragma once

#include "Platform/JSON/JSONCoding.h"

#include <cstdint>
#include <rapidjson/document.h>
#include <string>

// Reads the values of a model folder's description. A read that fails throws
// a JSON::DecodingError whose coding path says where in the description it
// failed ({"inputs", "2", "shape", "1"}) and whose description goes on from
// that place ("is not an integer"); the checks of a description's meaning
// throw the same. Loading turns them into an MLModelError (modelErrorText).
namespace Platform::CoreML::CheckedJSON {

using JSON::CodingPath;

const rapidjson::Value& member(const rapidjson::Value& object, const char* key, const CodingPath& where);
// Nothing when the object lacks the key.
const rapidjson::Value* optionalMember(const rapidjson::Value& object, const char* key, const CodingPath& where);

std::string string(const rapidjson::Value& value, const CodingPath& where);
std::int64_t integer(const rapidjson::Value& value, const CodingPath& where, std::int64_t minimum,
                     std::int64_t maximum);
rapidjson::Value::ConstArray array(const rapidjson::Value& value, const CodingPath& where);

// {"inputs"} + 2 → {"inputs", "2"}; {"inputs", "2"} + "shape" → {"inputs", "2", "shape"}.
CodingPath element(const CodingPath& where, std::size_t index);
CodingPath field(const CodingPath& where, const char* key);

// The failure as a sentence: "inputs[2].shape[1] is -4; it must lie between 1
// and 2147483647", or "The description is not an object" at the top.
std::string modelErrorText(const JSON::DecodingError& error);

} // namespace Platform::CoreML::CheckedJSON

#pragma once

#include <cstdint>
#include <rapidjson/document.h>
#include <string>

// Reads the values of a model folder's description. Each read names where in
// the description it failed ("inputs[2].shape[1]") in the MLModelError it throws.
namespace Platform::CoreML::CheckedJSON {

const rapidjson::Value& member(const rapidjson::Value& object, const char* key, const std::string& where);
// Nothing when the object lacks the key.
const rapidjson::Value* optionalMember(const rapidjson::Value& object, const char* key, const std::string& where);

std::string string(const rapidjson::Value& value, const std::string& where);
std::int64_t integer(const rapidjson::Value& value, const std::string& where, std::int64_t minimum,
                     std::int64_t maximum);
rapidjson::Value::ConstArray array(const rapidjson::Value& value, const std::string& where);

// "inputs" + 2 → "inputs[2]"; "inputs[2]" + "shape" → "inputs[2].shape".
std::string element(const std::string& where, std::size_t index);
std::string field(const std::string& where, const char* key);

} // namespace Platform::CoreML::CheckedJSON

#pragma once

// A configuration value as a member of JSON records (Platform::JSON's
// encodeMember and decodeMember). Reading tries an integer, a float, a Boolean
// and a text, then a token ([5, "x"]), an array and an object, and never
// fails: what matches nothing reads as null. Writing a token gives the array
// that reads back as that token.

#include "Hub/Config/Config.h"
#include "Platform/JSON/JSONCoding.h"

template <>
struct Platform::JSON::Coding<Hub::Config> {
    static rapidjson::Value encode(const Hub::Config& value, Allocator& allocator);
    static Hub::Config decode(const rapidjson::Value& json);
};

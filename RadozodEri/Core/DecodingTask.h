#pragma once

#include "Platform/EnumNames.h"
#include "Platform/JSON/JSONCoding.h"

#include <string_view>

namespace RadozodEri {

// The task token the decoder's prompt carries.
enum class DecodingTask { transcribe, translate };

inline constexpr Platform::EnumNames<DecodingTask, 2> decodingTaskNames {{{
    {DecodingTask::transcribe, "transcribe"},
    {DecodingTask::translate, "translate"},
}}};

constexpr std::string_view description(DecodingTask task) { return decodingTaskNames.name(task); }

} // namespace RadozodEri

// Coded as an object with one key, the case name, holding an empty object:
// {"transcribe":{}}.
template <>
struct Platform::JSON::Coding<RadozodEri::DecodingTask> {
    static rapidjson::Value encode(RadozodEri::DecodingTask task, Allocator& allocator);
    static RadozodEri::DecodingTask decode(const rapidjson::Value& json);
};

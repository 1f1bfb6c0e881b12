#include "App/Models/SavedTranscript.h"

#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/Graphemes.h"
#include "Platform/Time/DateFormatting.h"
#include "Platform/UUID.h"

namespace QEL {

namespace {

using Platform::JSON::DecodingError;

constexpr std::size_t titleTextLength = 50;

const char* rawValue(SavedTranscript::TranscriptType type)
{
    return type == SavedTranscript::TranscriptType::meeting ? "meeting" : "dictation";
}

SavedTranscript::TranscriptType transcriptType(const std::string& rawValue)
{
    if (rawValue == "dictation")
        return SavedTranscript::TranscriptType::dictation;
    if (rawValue == "meeting")
        return SavedTranscript::TranscriptType::meeting;
    throw DecodingError("Unknown transcript type \"" + rawValue + "\"");
}

// The value of `key`, or none when the key is absent or null.
const rapidjson::Value* member(const rapidjson::Value& object, const char* key)
{
    const auto found = object.FindMember(key);
    if (found == object.MemberEnd() || found->value.IsNull())
        return nullptr;
    return &found->value;
}

template <class T>
T requiredMember(const rapidjson::Value& object, const char* key)
{
    const rapidjson::Value* value = member(object, key);
    if (!value)
        throw DecodingError(std::string("Missing key \"") + key + "\"");
    return Platform::JSON::decode<T>(*value);
}

template <class T>
std::optional<T> optionalMember(const rapidjson::Value& object, const char* key)
{
    const rapidjson::Value* value = member(object, key);
    if (!value)
        return std::nullopt;
    return Platform::JSON::decode<T>(*value);
}

} // namespace

std::optional<SavedTranscript> SavedTranscript::dictation(std::string_view sessionText, Platform::Date date)
{
    const std::string_view text = Platform::trimming(sessionText, Platform::CharacterSet::whitespacesAndNewlines);
    if (text.empty())
        return std::nullopt;
    return SavedTranscript {
        .id = Platform::UUID::random().uuidString(),
        .title = generateTitle(text, date),
        .text = std::string(text),
        .date = date,
        .duration = std::nullopt,
        .wordCount = countWords(text),
        .language = std::nullopt,
        .type = TranscriptType::dictation,
    };
}

std::string SavedTranscript::generateTitle(std::string_view text, Platform::Date date)
{
    return Platform::formatMediumDateShortTime(date) + " — " + Platform::graphemePrefix(text, titleTextLength, "...");
}

std::int64_t SavedTranscript::countWords(std::string_view text)
{
    std::int64_t count = 0;
    bool inWord = false;
    for (const char c : text) {
        if (c != ' ' && !inWord)
            ++count;
        inWord = c != ' ';
    }
    return count;
}

rapidjson::Value SavedTranscript::toJSON(Platform::JSON::Allocator& allocator) const
{
    using Platform::JSON::encode;
    rapidjson::Value object(rapidjson::kObjectType);
    object.AddMember("id", encode(id, allocator), allocator);
    object.AddMember("title", encode(title, allocator), allocator);
    object.AddMember("text", encode(text, allocator), allocator);
    object.AddMember("date", encode(date.secondsSinceReferenceDate, allocator), allocator);
    if (duration)
        object.AddMember("duration", encode(*duration, allocator), allocator);
    object.AddMember("wordCount", encode(wordCount, allocator), allocator);
    if (language)
        object.AddMember("language", encode(*language, allocator), allocator);
    object.AddMember("type", rapidjson::StringRef(rawValue(type)), allocator);
    return object;
}

SavedTranscript SavedTranscript::fromJSON(const rapidjson::Value& json)
{
    if (!json.IsObject())
        throw DecodingError("Expected an object");
    return SavedTranscript {
        .id = requiredMember<std::string>(json, "id"),
        .title = requiredMember<std::string>(json, "title"),
        .text = requiredMember<std::string>(json, "text"),
        .date = Platform::Date {requiredMember<double>(json, "date")},
        .duration = optionalMember<double>(json, "duration"),
        .wordCount = requiredMember<std::int64_t>(json, "wordCount"),
        .language = optionalMember<std::string>(json, "language"),
        .type = transcriptType(requiredMember<std::string>(json, "type")),
    };
}

} // namespace QEL

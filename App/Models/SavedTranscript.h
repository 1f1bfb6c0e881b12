#pragma once

#include "Platform/JSON/JSONCoding.h"
#include "Platform/Time/Date.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace QEL {

// One entry of the transcript history, and the JSON object of its file. The
// keys are the field names; absent optionals are left out when written and
// may be left out or null when read; unknown keys are ignored.
struct SavedTranscript {
    enum class TranscriptType { dictation, meeting };

    std::string id {}; // the canonical upper-case text of a random UUID
    std::string title {};
    std::string text {};
    Platform::Date date {};
    std::optional<double> duration {}; // seconds
    std::int64_t wordCount = 0;
    std::optional<std::string> language {};
    TranscriptType type = TranscriptType::dictation;
    // The name of the history file the entry was read from, which need not be
    // its identifier's (a copied or restored file); empty for an entry made in
    // this run. Not part of the JSON.
    std::string fileName {};

    // The dictation entry for the text a recording gathered, made at `date`,
    // or none when the text is only white space and line breaks.
    static std::optional<SavedTranscript> dictation(std::string_view sessionText, Platform::Date date);

    // The date in the user's format, " — " and the text's first 50 characters,
    // with "..." when the text has more.
    static std::string generateTitle(std::string_view text, Platform::Date date);

    // The non-empty pieces between space characters; line breaks do not separate.
    static std::int64_t countWords(std::string_view text);

    rapidjson::Value toJSON(Platform::JSON::Allocator& allocator) const;
    // Throws Platform::JSON::DecodingError when `json` is not an entry.
    static SavedTranscript fromJSON(const rapidjson::Value& json);

    // Two entries are the same entry when their identifiers are.
    bool operator==(const SavedTranscript& other) const { return id == other.id; }
};

} // namespace QEL

template <>
struct std::hash<QEL::SavedTranscript> {
    std::size_t operator()(const QEL::SavedTranscript& entry) const noexcept
    {
        return std::hash<std::string> {}(entry.id);
    }
};

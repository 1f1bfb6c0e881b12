#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The short texts with which the history browser describes an entry.
namespace QEL::TranscriptTexts {

// The first 80 characters of the text, and "..." when it has more.
std::string preview(std::string_view text);

// Whole minutes, unpadded, and seconds: 75.9 seconds are "1:15", an hour is
// "60:00". Fractions of a second are dropped.
std::string duration(double seconds);

// "12 words".
std::string wordCount(std::int64_t count);

} // namespace QEL::TranscriptTexts

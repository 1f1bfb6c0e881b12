#include "App/Views/History/TranscriptTexts.h"

#include "Platform/Text/Format.h"
#include "Platform/Text/Graphemes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace QEL::TranscriptTexts {

namespace {

constexpr std::size_t previewLength = 80;

} // namespace

std::string preview(std::string_view text)
{
    return Platform::graphemePrefix(text, previewLength, "...");
}

std::string duration(double seconds)
{
    // A stored number of any size, even one beyond every integer, is shown
    // without overflowing: such a duration is no real recording anyway.
    constexpr double limit = 0x1p62;
    const auto whole = static_cast<long long>(std::isnan(seconds) ? 0 : std::clamp(std::trunc(seconds), -limit, limit));
    return Platform::formatted("%s%lld:%02lld", whole < 0 ? "-" : "", std::llabs(whole) / 60, std::llabs(whole) % 60);
}

std::string wordCount(std::int64_t count)
{
    return Platform::formatted("%lld words", static_cast<long long>(count));
}

} // namespace QEL::TranscriptTexts

#pragma once

#include <string>
#include <string_view>

namespace QEL {

// Removes the markers engines emit for non-speech audio ("[Music]",
// "[BLANK_AUDIO]", …; exact, case-sensitive) and trims white space and line
// ends from both ends.
std::string removingNonSpeechTokens(std::string_view text);

} // namespace QEL

#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace QEL {

// Removes hesitation sounds and filler words and phrases from an utterance.
class FillerRemover {
public:
    struct FillerPattern {
        std::string pattern;
        bool isRegex = false; // otherwise a phrase matched as whole words
    };

    FillerRemover() = default;

    // The fillers, in the order they are removed within each kind.
    static const std::vector<FillerPattern>& fillerPatterns();

    // The text without fillers: phrases first, then the sounds and words, then
    // the spacing they leave is tidied. Never fails.
    std::string removeFillers(std::string_view text) const;
};

} // namespace QEL

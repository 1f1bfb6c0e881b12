#include "QelCore/Decoding/GreedyDecoding.h"

#include <algorithm>
#include <cmath>

namespace QelCore {

void appendStartSequence(const SpecialTokens& special, int language, std::vector<int>& sequence)
{
    sequence.push_back(special.startOfTranscript);
    if (special.multilingual()) {
        sequence.push_back(special.firstLanguage + language);
        sequence.push_back(special.transcribe);
    }
    sequence.push_back(special.noTimestamps);
}

GreedyChoice::GreedyChoice(const SpecialTokens& special, const WhisperVocabulary& vocabulary)
    : special_(special),
      storedEnd_(std::min(static_cast<int>(vocabulary.size()), special.endOfText)),
      blank_(vocabulary.find(" "))
{
}

int GreedyChoice::choose(std::span<float> logits, bool firstStep) const
{
    std::fill(logits.begin() + storedEnd_, logits.begin() + special_.endOfText, -INFINITY);
    std::fill(logits.begin() + special_.endOfText + 1, logits.end(), -INFINITY);
    if (firstStep) {
        logits[static_cast<size_t>(special_.endOfText)] = -INFINITY;
        if (blank_)
            logits[static_cast<size_t>(*blank_)] = -INFINITY;
    }
    return static_cast<int>(std::max_element(logits.begin(), logits.end()) - logits.begin());
}

} // namespace QelCore

#pragma once

#include "QelCore/Decoding/WhisperTokens.h"

#include <optional>
#include <span>
#include <vector>

namespace QelCore {

// Appends a window's start sequence: start of transcript, then for a
// multilingual model the language (an index into the language table) and the
// transcribe task, then no timestamps.
void appendStartSequence(const SpecialTokens& special, int language, std::vector<int>& sequence);

// The greedy choice of the next token. Only ordinary tokens that have a
// stored piece, and end of text, may follow; nor may a window start with end
// of text or the blank. The others' logits become -infinity, and the first of
// equal logits wins.
class GreedyChoice {
public:
    GreedyChoice(const SpecialTokens& special, const WhisperVocabulary& vocabulary);

    int choose(std::span<float> logits, bool firstStep) const;

private:
    SpecialTokens special_;
    int storedEnd_;
    std::optional<int> blank_;
};

} // namespace QelCore

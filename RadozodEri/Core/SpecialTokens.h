#pragma once

namespace RadozodEri {

// The ids of the tokens the decoder steers by. Every id at or above
// `specialTokenBegin` is special; timestamps start at `timeTokenBegin`.
struct SpecialTokens {
    int endToken = 0;
    int englishToken = 0;
    int noSpeechToken = 0;
    int noTimestampsToken = 0;
    int specialTokenBegin = 0;
    int startOfPreviousToken = 0;
    int startOfTranscriptToken = 0;
    int timeTokenBegin = 0;
    int transcribeToken = 0;
    int translateToken = 0;
    // A single space.
    int whitespaceToken = 0;

    bool operator==(const SpecialTokens&) const = default;
};

} // namespace RadozodEri

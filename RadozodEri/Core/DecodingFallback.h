#pragma once

#include "RadozodEri/Core/DecodingOptions.h"

#include <optional>
#include <string>

namespace RadozodEri {

// The verdict on a decoded window whose quality is poor.
struct DecodingFallback {
    // True when the window must be decoded again at a higher temperature.
    bool needsFallback = false;
    // "firstTokenLogProbThreshold", "silence", "compressionRatioThreshold" or
    // "logProbThreshold".
    std::string fallbackReason {};

    // The fallback rule: the first test that fires decides, in the order of
    // the reasons above. All comparisons are strict, so a NaN measure never
    // fires; an absent threshold switches its test off, and an absent average
    // log-probability threshold ends the rule with no verdict. A silent
    // window gets a verdict that asks for no retry.
    static std::optional<DecodingFallback> evaluate(const DecodingOptions& options, bool isFirstTokenLogProbTooLow,
                                                    float noSpeechProb, float compressionRatio, float avgLogProb);
};

} // namespace RadozodEri

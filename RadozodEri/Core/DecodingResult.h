#pragma once

#include "RadozodEri/Core/DecodingCache.h"
#include "RadozodEri/Core/DecodingFallback.h"
#include "RadozodEri/Core/TranscriptionTimings.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace RadozodEri {

// What the decoder made of one audio window.
struct DecodingResult {
    std::string language {};
    // Filled by language detection; empty otherwise.
    std::map<std::string, float> languageProbs {};
    std::vector<int> tokens {};
    // Per sampled token, its id mapped to its log probability.
    std::vector<std::map<int, float>> tokenLogProbs {};
    std::string text {};
    float avgLogProb = 0;
    float noSpeechProb = 0;
    float temperature = 0;
    float compressionRatio = 0;
    // The decoder's cache after the window.
    std::optional<DecodingCache> cache {};
    std::optional<TranscriptionTimings> timings {};
    // Absent when no fallback test fired.
    std::optional<DecodingFallback> fallback {};

    // Empty texts and lists, zero measures, nothing optional.
    static DecodingResult emptyResults() { return {}; }
};

} // namespace RadozodEri

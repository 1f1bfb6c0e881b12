#pragma once

#include "RadozodEri/Core/Text/Logits.h"
#include "RadozodEri/Core/Text/LogitsFiltering.h"

#include <cstdint>
#include <span>

namespace RandomWhisper {

// Masks every special token after the end of text, so a random model decodes
// only ordinary tokens, as the engine library's greedy choice does.
class SpecialTokenMask : public RadozodEri::LogitsFiltering {
public:
    explicit SpecialTokenMask(int endToken) : endToken_(endToken) {}
    Platform::CoreML::MLMultiArray filterLogits(Platform::CoreML::MLMultiArray logits, std::span<const int>) override
    {
        const auto scores = RadozodEri::logitScores(logits);
        RadozodEri::maskTokens(scores, endToken_ + 1, static_cast<std::int64_t>(scores.size()));
        return logits;
    }

private:
    int endToken_;
};

} // namespace RandomWhisper

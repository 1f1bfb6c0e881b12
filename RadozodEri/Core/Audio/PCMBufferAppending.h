#pragma once

#include "Platform/Audio/PCMBuffer.h"

#include <cstdint>

namespace RadozodEri {

// Appends `frameCount` frames of `source`, from `startingFrame` on, to the
// end of `destination`, every channel; frames beyond the destination's
// capacity are dropped. False (and a log line) when the formats differ or the
// source does not hold that range.
bool appendContents(Platform::Audio::PCMBuffer& destination, const Platform::Audio::PCMBuffer& source,
                    std::int64_t startingFrame, std::int64_t frameCount);

} // namespace RadozodEri

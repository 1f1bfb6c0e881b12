#pragma once

#include "RadozodEri/Core/TranscriptionSegment.h"
#include "RadozodEri/Core/TranscriptionTimings.h"

#include <string>
#include <vector>

namespace RadozodEri {

// The fixed-layout report of a transcription's timings: each stage's time,
// runs, time per run and share of the longer of the decoding loop and the
// whole pipeline, then load times and overall rates. "Total Tokens" counts
// the tokens of the segments.
std::string timingsReport(const TranscriptionTimings& timings, const std::vector<TranscriptionSegment>& segments);

} // namespace RadozodEri

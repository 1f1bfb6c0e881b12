#pragma once

#include "RadozodEri/Core/DecodingOptions.h"
#include "RadozodEri/Core/DecodingResult.h"
#include "RadozodEri/Core/Text/TokenSampling.h"
#include "RadozodEri/Core/WhisperTokenizer.h"

namespace RadozodEri {

// What a decoded window comes to, from the sampler's final tokens: the
// segment from the first start of transcript through the first end of text,
// its text, average and per-token log probabilities, compression ratio,
// sampling temperature, language (the options', else the segment's first
// language token, else English) and fallback verdict. No cache and no
// timings. WhisperError decodingFailed for tokens without an end of text or
// with fewer log probabilities than tokens.
DecodingResult windowResult(const SamplingResult& final, const WhisperTokenizer& tokenizer,
                            const TokenSampling& sampler, const DecodingOptions& options,
                            bool isFirstTokenLogProbTooLow);

} // namespace RadozodEri

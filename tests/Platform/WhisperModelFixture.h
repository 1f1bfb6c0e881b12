#pragma once

#include "Platform/ML/GgmlWhisperLoader.h"
#include "Platform/ML/WhisperTokens.h"
#include "tools/RandomGgmlModel/RandomGgmlModel.h"

#include <cmath>
#include <vector>

// A small random model with a 2 s window, loaded once per test.
inline Platform::ML::WhisperModel smallRandomModel(int vocab, uint64_t seed = 3)
{
    QelTools::RandomModelOptions options;
    options.seed = seed;
    options.vocab = vocab;
    options.ftype = 1;
    options.width = 32;
    options.heads = 4;
    options.layers = 2;
    options.audioCtx = 100;
    options.textCtx = 64;
    return Platform::ML::parseGgmlWhisperModel(QelTools::randomGgmlModel(options));
}

inline std::vector<float> chirp(long count, double startHz)
{
    std::vector<float> samples(static_cast<size_t>(count));
    double phase = 0;
    for (long i = 0; i < count; ++i) {
        phase += 2 * M_PI * (startHz + 0.05 * static_cast<double>(i)) / 16000.0;
        samples[static_cast<size_t>(i)] = static_cast<float>(0.3 * std::sin(phase));
    }
    return samples;
}

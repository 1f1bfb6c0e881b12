#pragma once

#include "QelCore/Ggml/GgmlWhisperLoader.h"
#include "tools/RandomGgmlModel/RandomGgmlModel.h"

#include <cmath>
#include <vector>

// A small random model with a 2 s window, loaded once per test.
inline Platform::ML::WhisperModel smallRandomModel(int vocab, uint64_t seed = 3)
{
    const QelTools::RandomModelOptions options{
        .seed = seed, .vocab = vocab, .ftype = 1, .width = 32, .heads = 4, .layers = 2, .audioCtx = 100, .textCtx = 64};
    return QelCore::parseGgmlWhisperModel(QelTools::randomGgmlModel(options));
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

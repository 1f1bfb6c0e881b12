#pragma once

#include "Support/TestEnvironment.h"
#include "tools/RandomGgmlModel/RandomGgmlModel.h"

#include <cmath>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

inline void writeBytes(const std::filesystem::path& path, const std::vector<std::byte>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

// Small enough that a window runs in well under a second under the sanitizers.
inline QelTools::RandomModelOptions tinyModel(int vocab, uint64_t seed = 11)
{
    return {
        .seed = seed, .vocab = vocab, .ftype = 1, .width = 32, .heads = 2, .layers = 1, .audioCtx = 1500, .textCtx = 64};
}

// A gliding tone at 16 kHz whose pitch depends on `variant`.
inline std::vector<float> toneSamples(double seconds, int variant)
{
    std::vector<float> samples(static_cast<size_t>(seconds * 16000));
    double phase = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / 16000.0;
        phase += 2 * M_PI * (200.0 + 150.0 * variant + 300.0 * t) / 16000.0;
        samples[i] = static_cast<float>(0.4 * std::sin(phase) * std::sin(2 * M_PI * (1.5 + variant) * t));
    }
    return samples;
}

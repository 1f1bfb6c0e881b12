#pragma once

// Sound files for the audio tests, written by the tests themselves.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace TestSupport {

// Writes a WAV file of interleaved samples, as 32-bit floats or, with
// `sixteenBit`, as 16-bit integers (half the size, for long files).
inline void writeWaveFile(const std::filesystem::path& path, unsigned sampleRate, unsigned channels,
                          const std::vector<float>& interleaved, bool sixteenBit = false)
{
    std::ofstream file(path, std::ios::binary);
    const auto put = [&](auto value) { file.write(reinterpret_cast<const char*>(&value), sizeof value); };
    const std::uint16_t bytesPerSample = sixteenBit ? 2 : 4;
    const auto dataBytes = static_cast<std::uint32_t>(interleaved.size() * bytesPerSample);
    file.write("RIFF", 4);
    put(std::uint32_t{36 + dataBytes});
    file.write("WAVEfmt ", 8);
    put(std::uint32_t{16});
    put(std::uint16_t{static_cast<std::uint16_t>(sixteenBit ? 1 : 3)}); // integer or float samples
    put(static_cast<std::uint16_t>(channels));
    put(std::uint32_t{sampleRate});
    put(std::uint32_t{sampleRate * channels * bytesPerSample});
    put(static_cast<std::uint16_t>(channels * bytesPerSample));
    put(static_cast<std::uint16_t>(bytesPerSample * 8));
    file.write("data", 4);
    put(dataBytes);
    if (sixteenBit) {
        std::vector<std::int16_t> integers(interleaved.size());
        for (std::size_t i = 0; i < interleaved.size(); ++i)
            integers[i] = static_cast<std::int16_t>(std::lround(std::clamp(interleaved[i], -1.0f, 1.0f) * 32767));
        file.write(reinterpret_cast<const char*>(integers.data()), static_cast<std::streamsize>(integers.size() * 2));
    } else {
        file.write(reinterpret_cast<const char*>(interleaved.data()),
                   static_cast<std::streamsize>(interleaved.size() * sizeof(float)));
    }
    if (!file)
        throw std::runtime_error("cannot write " + path.string());
}

// `count` samples of a sine of that frequency and peak at that rate.
inline std::vector<float> sine(std::size_t count, double frequency, double sampleRate, float peak)
{
    std::vector<float> samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] =
            peak * static_cast<float>(std::sin(2 * std::numbers::pi * frequency * static_cast<double>(i) / sampleRate));
    return samples;
}

} // namespace TestSupport

// The engine's audio stage. File road: an hour of 44.1 kHz stereo loaded and
// resampled to 16 kHz mono by the engine, beside the same file read with bare
// libsndfile and resampled with bare libsoxr; the engine's peak memory beyond
// its result. Processor: the time of processBuffer per 100 ms buffer in the
// first and the last minute of an hour. Detection: the energy detector over
// an hour beside root mean squares of the same frames. QEL_BENCH_AUDIO_SECONDS
// sets the length (3600 by default).
#include "Platform/Vector/RootMeanSquare.h"
#include "RadozodEri/Core/Audio/AudioProcessor.h"
#include "RadozodEri/Core/Audio/EnergyVAD.h"
#include "bench/PeakMemory.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <soxr.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <vector>

namespace QelBench {
namespace {

using Clock = std::chrono::steady_clock;

std::size_t audioSeconds()
{
    const char* setting = std::getenv("QEL_BENCH_AUDIO_SECONDS");
    return setting ? std::strtoul(setting, nullptr, 10) : 3600;
}

// Speech-like sound: a tone whose loudness rises and falls each second.
float soundAt(std::size_t index, double rate, int channel)
{
    const double t = static_cast<double>(index) / rate;
    return static_cast<float>(0.3 * (0.5 + 0.5 * std::sin(2 * std::numbers::pi * t)) *
                              std::sin(2 * std::numbers::pi * (220.0 + 110 * channel) * t));
}

// The hour of 44.1 kHz stereo as 16-bit WAV, written once per run.
const std::filesystem::path& stereoFile()
{
    static const std::filesystem::path path = [] {
        const auto file = std::filesystem::temp_directory_path() / "qel-bench-stereo.wav";
        // A file of this length from an earlier run is the same sound.
        std::error_code ignored;
        if (std::filesystem::file_size(file, ignored) == 44 + audioSeconds() * 44100 * 4)
            return file;
        SF_INFO info{.frames = 0,
                     .samplerate = 44100,
                     .channels = 2,
                     .format = SF_FORMAT_WAV | SF_FORMAT_PCM_16,
                     .sections = 0,
                     .seekable = 0};
        SNDFILE* sound = sf_open(file.c_str(), SFM_WRITE, &info);
        std::vector<float> block(2 * 44100);
        for (std::size_t second = 0; second < audioSeconds(); ++second) {
            for (std::size_t frame = 0; frame < 44100; ++frame)
                for (int channel = 0; channel < 2; ++channel)
                    block[frame * 2 + static_cast<std::size_t>(channel)] =
                        soundAt(second * 44100 + frame, 44100, channel);
            sf_writef_float(sound, block.data(), 44100);
        }
        sf_close(sound);
        return file;
    }();
    return path;
}

// Frees the kernel's record of the peak, so VmHWM starts again from now.
void resetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_FileRoadEngine(benchmark::State& state)
{
    const std::string path = stereoFile().string();
    double peakBeyondResultMiB = 0;
    std::size_t samples = 0;
    for (auto _ : state) {
        resetPeakMemory();
        const long before = processStatusKiB("VmRSS:");
        const std::vector<float> loaded = RadozodEri::AudioProcessor::loadAudioAsFloatArray(
            path, RadozodEri::AudioInputConfig::ChannelMode::sumChannels());
        samples = loaded.size();
        const double peakKiB = static_cast<double>(processStatusKiB("VmHWM:") - before);
        peakBeyondResultMiB = (peakKiB - static_cast<double>(loaded.size() * sizeof(float)) / 1024) / 1024;
        benchmark::DoNotOptimize(loaded.data());
    }
    // One 600 s window of the result: 600 × 16000 samples.
    const double windowMiB = 600.0 * 16000 * sizeof(float) / (1024 * 1024);
    state.counters["samples"] = static_cast<double>(samples);
    state.counters["peakBeyondResultMiB"] = peakBeyondResultMiB;
    state.counters["peakPerWindow"] = peakBeyondResultMiB / windowMiB;
}
BENCHMARK(BM_FileRoadEngine)->Iterations(3)->Unit(benchmark::kSecond)->UseRealTime();

// The same work with the libraries alone: read 30 s at a time, sum the two
// channels, resample as one stream.
void BM_FileRoadBareLibraries(benchmark::State& state)
{
    const std::string path = stereoFile().string();
    for (auto _ : state) {
        SF_INFO info{};
        SNDFILE* sound = sf_open(path.c_str(), SFM_READ, &info);
        soxr_error_t error = nullptr;
        const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
        soxr_t resampler = soxr_create(info.samplerate, 16000, 1, &error, &io, &quality, nullptr);
        std::vector<float> result(static_cast<std::size_t>(info.frames * 16000 / info.samplerate) + 16000);
        std::size_t produced = 0;
        std::vector<float> read(1323000 * 2);
        std::vector<float> mono(1323000);
        while (const sf_count_t frames = sf_readf_float(sound, read.data(), 1323000)) {
            for (sf_count_t frame = 0; frame < frames; ++frame)
                mono[static_cast<std::size_t>(frame)] =
                    read[static_cast<std::size_t>(frame) * 2] + read[static_cast<std::size_t>(frame) * 2 + 1];
            std::size_t done = 0;
            soxr_process(resampler, mono.data(), static_cast<std::size_t>(frames), nullptr, result.data() + produced,
                         result.size() - produced, &done);
            produced += done;
        }
        std::size_t done = 0;
        soxr_process(resampler, nullptr, 0, nullptr, result.data() + produced, result.size() - produced, &done);
        benchmark::DoNotOptimize(result.data());
        soxr_delete(resampler);
        sf_close(sound);
    }
}
BENCHMARK(BM_FileRoadBareLibraries)->Iterations(3)->Unit(benchmark::kSecond)->UseRealTime();

// processBuffer over an hour of 100 ms buffers, timed one by one.
void BM_ProcessBufferOverAnHour(benchmark::State& state)
{
    const std::size_t buffers = audioSeconds() * 10;
    std::vector<float> buffer(1600);
    double firstMinuteMedianUs = 0;
    double lastMinuteMedianUs = 0;
    for (auto _ : state) {
        RadozodEri::AudioProcessor processor;
        std::vector<double> micros(buffers);
        for (std::size_t index = 0; index < buffers; ++index) {
            for (std::size_t i = 0; i < buffer.size(); ++i)
                buffer[i] = soundAt(index * 1600 + i, 16000, 0);
            const auto start = Clock::now();
            processor.processBuffer(buffer);
            micros[index] = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        }
        const auto median = [](std::vector<double> times) {
            std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2), times.end());
            return times[times.size() / 2];
        };
        firstMinuteMedianUs = median({micros.begin(), micros.begin() + 600});
        lastMinuteMedianUs = median({micros.end() - 600, micros.end()});
    }
    state.counters["firstMinuteMedianUs"] = firstMinuteMedianUs;
    state.counters["lastMinuteMedianUs"] = lastMinuteMedianUs;
    state.counters["lastOverFirst"] = lastMinuteMedianUs / firstMinuteMedianUs;
    state.counters["shareOfBufferPercent"] = lastMinuteMedianUs / 100000 * 100;
}
BENCHMARK(BM_ProcessBufferOverAnHour)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

const std::vector<float>& hourOfSamples()
{
    static const std::vector<float> samples = [] {
        std::vector<float> made(audioSeconds() * 16000);
        for (std::size_t i = 0; i < made.size(); ++i)
            made[i] = soundAt(i, 16000, 0);
        return made;
    }();
    return samples;
}

void BM_EnergyDetection(benchmark::State& state)
{
    const std::vector<float>& samples = hourOfSamples();
    const RadozodEri::EnergyVAD vad;
    for (auto _ : state)
        benchmark::DoNotOptimize(vad.voiceActivity(samples));
}
BENCHMARK(BM_EnergyDetection)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EnergyDetectionRootMeanSquareAlone(benchmark::State& state)
{
    const std::vector<float>& samples = hourOfSamples();
    const std::span<const float> all(samples);
    for (auto _ : state) {
        float loudest = 0;
        for (std::size_t start = 0; start < all.size(); start += 1600)
            loudest = std::max(
                loudest, Platform::rootMeanSquare(all.subspan(start, std::min<std::size_t>(1600, all.size() - start))));
        benchmark::DoNotOptimize(loudest);
    }
}
BENCHMARK(BM_EnergyDetectionRootMeanSquareAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace QelBench

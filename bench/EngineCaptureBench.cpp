// The engine's own live capture in real time: a 48 kHz stereo source of a
// private sound server is fed 20 ms chunks on the clock while an
// AudioProcessor records it, converting every buffer to 16 kHz mono.
// Reported: the process's CPU time apart from the feeding thread, as a share
// of one core, to set beside BM_CaptureRealTime's. QEL_BENCH_CAPTURE_SECONDS
// sets the length (60 by default).
#include "Platform/Audio/AudioSources.h"
#include "RadozodEri/Core/Audio/AudioProcessor.h"
#include "Support/SoundServer.h"
#include "Support/TestEnvironment.h"
#include "bench/ProcessTime.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <thread>

namespace QelBench {
namespace {

using Clock = std::chrono::steady_clock;

void BM_EngineCaptureFortyEightKilohertzStereo(benchmark::State& state)
{
    const char* lengthSetting = std::getenv("QEL_BENCH_CAPTURE_SECONDS");
    const std::size_t seconds = lengthSetting ? std::strtoul(lengthSetting, nullptr, 10) : 60;
    TestSupport::PrivateSoundServer server({{.name = "studio", .rate = 48000, .channels = 2}});
    const TestSupport::ScopedEnvironment pulse("PULSE_SERVER", server.address());
    std::uint32_t studio = 0;
    {
        const Platform::Audio::SoundServerConnection connection("qel-bench");
        studio = Platform::Audio::recordingSources(connection).at(0).index;
    }
    double cpuShare = 0;
    std::size_t samples = 0;
    for (auto _ : state) {
        RadozodEri::AudioProcessor processor;
        std::atomic<std::size_t> received{0};
        processor.startRecordingLive(studio, [&](const std::vector<float>& buffer) { received += buffer.size(); });
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const double cpuAtStart = processCPUSeconds();
        double feederCPU = 0;
        std::jthread feeder([&] {
            const double atStart = threadCPUSeconds();
            const int pipe = open(server.pipeOf("studio").c_str(), O_WRONLY | O_CLOEXEC);
            std::vector<float> chunk(960 * 2);
            const auto start = Clock::now();
            for (std::size_t index = 0; index < seconds * 50 && pipe >= 0; ++index) {
                for (std::size_t frame = 0; frame < 960; ++frame) {
                    const double t = static_cast<double>(index * 960 + frame) / 48000;
                    chunk[frame * 2] = chunk[frame * 2 + 1] =
                        0.05f * static_cast<float>(std::sin(2 * std::numbers::pi * 440 * t));
                }
                std::this_thread::sleep_until(start + std::chrono::milliseconds(20) * index);
                if (::write(pipe, chunk.data(), chunk.size() * sizeof(float)) < 0)
                    break;
            }
            if (pipe >= 0)
                close(pipe);
            feederCPU = threadCPUSeconds() - atStart;
        });
        feeder.join();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cpuShare = (processCPUSeconds() - cpuAtStart - feederCPU) / static_cast<double>(seconds);
        processor.stopRecording();
        samples = received;
    }
    state.counters["cpuPercentOfOneCore"] = 100 * cpuShare;
    state.counters["samplesReceived"] = static_cast<double>(samples);
}
BENCHMARK(BM_EngineCaptureFortyEightKilohertzStereo)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace
} // namespace QelBench

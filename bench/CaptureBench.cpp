// Microphone capture in real time: the headless desktop's pipe microphone is
// fed chunks of 10 or 20 ms (the argument) on the clock, as a sound card hands
// over its periods, while AudioCaptureManager records, levels and delivers
// 100 ms buffers to the main thread. Reported: the process's CPU time apart
// from the feeding thread, as a share of one core; the delay from the chunk
// that completes a buffer entering the pipe to the buffer reaching the
// callback; and how much the heap and resident memory grew after the first
// ten seconds. Run it inside the desktop (.ci/desktop.sh qel-bench
// --benchmark_filter=Capture); QEL_BENCH_CAPTURE_SECONDS sets the length
// (60 by default).
#include "App/Audio/AudioCaptureManager.h"
#include "bench/PeakMemory.h"
#include "bench/ProcessTime.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <thread>
#include <vector>

namespace QelBench {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Writes `chunks` chunks of a quiet tone, each `chunkDuration` long, into the
// pipe, each at its time on the clock from `start`, and notes when each went in.
struct RealTimeFeed {
    std::vector<Clock::time_point> written;
    double cpuSeconds = 0;

    void run(const char* pipePath, std::size_t chunks, milliseconds chunkDuration, Clock::time_point start)
    {
        const double cpuAtStart = threadCPUSeconds();
        const int pipe = open(pipePath, O_WRONLY | O_CLOEXEC);
        std::vector<float> chunk(static_cast<std::size_t>(chunkDuration.count()) * 16);
        for (std::size_t index = 0; index < chunks && pipe >= 0; ++index) {
            for (std::size_t sample = 0; sample < chunk.size(); ++sample)
                chunk[sample] =
                    0.05f * static_cast<float>(std::sin(2 * std::numbers::pi * 440.0 *
                                                        static_cast<double>(index * chunk.size() + sample) / 16000.0));
            std::this_thread::sleep_until(start + chunkDuration * index);
            if (::write(pipe, chunk.data(), chunk.size() * sizeof(float)) < 0)
                break;
            written.push_back(Clock::now());
        }
        if (pipe >= 0)
            close(pipe);
        cpuSeconds = threadCPUSeconds() - cpuAtStart;
    }
};

void BM_CaptureRealTime(benchmark::State& state)
{
    const char* pipe = std::getenv("QEL_MIC_FIFO");
    if (!pipe || !std::getenv("PULSE_SERVER")) {
        state.SkipWithError("needs the headless desktop: run it inside .ci/desktop.sh");
        return;
    }
    const char* lengthSetting = std::getenv("QEL_BENCH_CAPTURE_SECONDS");
    const std::size_t seconds = lengthSetting ? std::strtoul(lengthSetting, nullptr, 10) : 60;
    const std::size_t buffers = seconds * 10;
    const milliseconds chunkDuration(state.range(0));
    const std::size_t chunksPerBuffer = 100 / static_cast<std::size_t>(chunkDuration.count());
    static int argc = 1;
    static char name[] = "qel-bench";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);

    std::vector<double> delaysMs;
    double cpuShare = 0;
    long heapGrowthKiB = 0;
    long residentGrowthKiB = 0;
    for (auto _ : state) {
        QEL::AudioCaptureManager manager;
        QEventLoop loop;
        std::vector<Clock::time_point> arrivals;
        arrivals.reserve(buffers);
        std::size_t heapAfterWarmUp = 0;
        long residentAfterWarmUp = 0;
        manager.startCapture([&](const std::vector<float>&) {
            arrivals.push_back(Clock::now());
            if (arrivals.size() == 100) {
                heapAfterWarmUp = mallinfo2().uordblks;
                residentAfterWarmUp = processStatusKiB("VmRSS:");
            }
            if (arrivals.size() == buffers)
                loop.quit();
        });
        // The maths library's idle threads spin for a moment after the
        // program starts; that is not capture's work.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const double cpuAtStart = processCPUSeconds();
        RealTimeFeed feed;
        std::jthread feeder(
            [&] { feed.run(pipe, buffers * chunksPerBuffer, chunkDuration, Clock::now() + milliseconds(200)); });
        QTimer::singleShot(std::chrono::seconds(seconds + 10), &loop, &QEventLoop::quit);
        loop.exec();
        feeder.join();
        const double cpuSeconds = processCPUSeconds() - cpuAtStart - feed.cpuSeconds;
        manager.stopCapture();
        if (arrivals.size() != buffers || feed.written.size() != buffers * chunksPerBuffer) {
            state.SkipWithError("not every buffer arrived");
            return;
        }
        // The last chunk of each buffer completes it.
        delaysMs.clear();
        for (std::size_t buffer = 0; buffer < buffers; ++buffer)
            delaysMs.push_back(std::chrono::duration<double, std::milli>(
                                   arrivals[buffer] - feed.written[buffer * chunksPerBuffer + chunksPerBuffer - 1])
                                   .count());
        cpuShare = cpuSeconds / static_cast<double>(seconds);
        heapGrowthKiB = static_cast<long>(mallinfo2().uordblks - heapAfterWarmUp) / 1024;
        residentGrowthKiB = processStatusKiB("VmRSS:") - residentAfterWarmUp;
    }
    std::sort(delaysMs.begin(), delaysMs.end());
    double total = 0;
    for (double delay : delaysMs)
        total += delay;
    state.counters["cpuPercentOfOneCore"] = 100 * cpuShare;
    state.counters["delayMeanMs"] = total / static_cast<double>(delaysMs.size());
    state.counters["delayP95Ms"] = delaysMs[delaysMs.size() * 95 / 100];
    state.counters["delayMaxMs"] = delaysMs.back();
    state.counters["heapGrowthKiB"] = static_cast<double>(heapGrowthKiB);
    state.counters["residentGrowthKiB"] = static_cast<double>(residentGrowthKiB);
}

BENCHMARK(BM_CaptureRealTime)->Arg(10)->Arg(20)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace
} // namespace QelBench

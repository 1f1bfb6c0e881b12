// The first transcription in a fresh process beside the second: memory the
// process touches for the first time is slow on some machines, and the
// steady-state benchmarks leave that cost out.
#include "bench/BenchModels.h"
#include "bench/PeakMemory.h"

#include <chrono>
#include <cstdio>

namespace QelBench {
namespace {

// Each iteration a fresh process: its first call's time, and its second's
// beside it.
void BM_FirstTranscription(benchmark::State& state)
{
    const auto& path = benchModelFile(sizeArgument(state));
    double later = 0;
    for (auto _ : state) {
        const auto figures = figuresOfFreshProcess(kFirstCallFlag, path);
        if (figures.size() != 2) {
            state.SkipWithError("the child printed no second call");
            return;
        }
        state.SetIterationTime(static_cast<double>(figures[0]) / 1e6);
        later += static_cast<double>(figures[1]) / 1e6;
    }
    state.counters["later_call"] = later / static_cast<double>(state.iterations());
}

BENCHMARK(BM_FirstTranscription)
    ->Arg(static_cast<int>(ModelSize::Tiny))
    ->Arg(static_cast<int>(ModelSize::Base))
    ->ArgName("base")
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int runFirstCall(const std::filesystem::path& path)
{
    WindowTranscription transcription(path);
    for (int call = 0; call < 2; ++call) {
        const auto start = std::chrono::steady_clock::now();
        transcription.run();
        const auto elapsed = std::chrono::steady_clock::now() - start;
        std::printf("%lld\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count()));
    }
    return 0;
}

} // namespace QelBench

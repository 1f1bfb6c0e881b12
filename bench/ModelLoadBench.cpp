// Loading a ggml model of the tiny and base sizes from a file in the page
// cache, beside simply reading that file into memory; and the peak resident
// memory of a fresh process that loads it, and that also transcribes a window.
#include "bench/BenchModels.h"
#include "bench/PeakMemory.h"

#include "Platform/Files/ReadFile.h"
#include "Platform/Memory/LargeBuffer.h"
#include "QelCore/Ggml/GgmlWhisperLoader.h"

#include <filesystem>

namespace QelBench {
namespace {

void BM_ModelLoad(benchmark::State& state)
{
    const auto& path = benchModelFile(sizeArgument(state));
    for (auto _ : state) {
        auto model = QelCore::loadGgmlWhisperModel(path);
        benchmark::DoNotOptimize(model.storage.get());
    }
    state.counters["file_MiB"] = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
    state.counters["peak_load_MiB"] = peakMemoryMiB(kModelLoadFlag, path);
    state.counters["peak_window_MiB"] = peakMemoryMiB(kOneWindowFlag, path);
}

// The least a load can take: the file's bytes read into fresh memory.
void BM_ModelFileRead(benchmark::State& state)
{
    const auto& path = benchModelFile(sizeArgument(state));
    for (auto _ : state) {
        const Platform::RegularFile file(path);
        const auto bytes = Platform::allocateLargeBuffer(file.size());
        file.readExactly(bytes.get(), file.size(), 0);
        benchmark::DoNotOptimize(bytes.get());
    }
}

void Sizes(benchmark::internal::Benchmark* b)
{
    b->Arg(static_cast<int>(ModelSize::Tiny))->Arg(static_cast<int>(ModelSize::Base));
    b->ArgName("base")->Iterations(10)->UseRealTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_ModelLoad)->Apply(Sizes);
BENCHMARK(BM_ModelFileRead)->Apply(Sizes);

} // namespace
} // namespace QelBench

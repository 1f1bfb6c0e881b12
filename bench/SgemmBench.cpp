// BLAS single-precision matrix product throughput on this machine: the ceiling
// the encoder benchmarks are measured against.
#include "Platform/Concurrency/ProcessorCount.h"

#include <benchmark/benchmark.h>
#include <cblas.h>

#include <vector>

namespace {

// Shapes of the base-sized encoder: 1500 frames, width 512, MLP 2048.
void BM_Sgemm(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    const int m = static_cast<int>(state.range(1));
    const int n = static_cast<int>(state.range(2));
    const int k = static_cast<int>(state.range(3));
    openblas_set_num_threads(threads);
    std::vector<float> a(static_cast<size_t>(m) * k, 0.5f);
    std::vector<float> b(static_cast<size_t>(k) * n, 0.25f);
    std::vector<float> c(static_cast<size_t>(m) * n);
    for (auto _ : state) {
        cblas_sgemm(CblasRowMajor, CblasNoTrans, CblasTrans, m, n, k, 1.0f, a.data(), k, b.data(), k, 0.0f, c.data(),
                    n);
        benchmark::DoNotOptimize(c.data());
    }
    // Back to how the runtime calls BLAS: on one thread per call.
    openblas_set_num_threads(1);
    state.counters["GFLOPS"] = benchmark::Counter(2.0 * m * n * k * static_cast<double>(state.iterations()) / 1e9,
                                                  benchmark::Counter::kIsRate);
}

void SgemmArguments(benchmark::internal::Benchmark* b)
{
    const int all = Platform::processorCount();
    for (int threads : {1, 2, all}) {
        b->Args({threads, 1500, 512, 512});
        b->Args({threads, 1500, 2048, 512});
        b->Args({threads, 1500, 512, 2048});
    }
    b->ArgNames({"threads", "m", "n", "k"});
    b->UseRealTime();
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Sgemm)->Apply(SgemmArguments);

} // namespace

// The benchmarks, or one transcription window when started with kOneWindowFlag
// (how the peak-memory figure is measured in a fresh process).
#include "bench/PeakMemory.h"

#include <benchmark/benchmark.h>

#include <string_view>

int main(int argc, char** argv)
{
    if (argc == 3 && std::string_view(argv[1]) == QelBench::kOneWindowFlag)
        return QelBench::runOneWindow(argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

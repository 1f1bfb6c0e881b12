// The benchmarks, or one transcription window, one model load, one folder
// load or one window through model folders when started with kOneWindowFlag,
// kModelLoadFlag, kFolderLoadFlag or kFoldersWindowFlag (how memory figures
// are measured in a fresh process).
#include "bench/PeakMemory.h"

#include <benchmark/benchmark.h>

#include <string_view>

int main(int argc, char** argv)
{
    if (argc == 3 && std::string_view(argv[1]) == QelBench::kOneWindowFlag)
        return QelBench::runOneWindow(argv[2]);
    if (argc == 3 && std::string_view(argv[1]) == QelBench::kModelLoadFlag)
        return QelBench::runModelLoad(argv[2]);
    if (argc == 3 && std::string_view(argv[1]) == QelBench::kFolderLoadFlag)
        return QelBench::runFolderLoad(argv[2]);
    if (argc == 3 && std::string_view(argv[1]) == QelBench::kFoldersWindowFlag)
        return QelBench::runFoldersWindow(argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// The benchmarks, or one transcription window, one model load, one folder
// load, one window through model folders or a first and a second call when
// started with kOneWindowFlag, kModelLoadFlag, kFolderLoadFlag,
// kFoldersWindowFlag or kFirstCallFlag (how memory figures and first calls
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
    if (argc == 3 && std::string_view(argv[1]) == QelBench::kFirstCallFlag)
        return QelBench::runFirstCall(argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

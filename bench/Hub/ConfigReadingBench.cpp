// Reading tokenizer files into configuration values, beside parsing them
// alone, with the memory the values take; and member lookups that need the
// snake_case retry beside exact ones. The tokenizer files come from
// scripts/fetch-tokenizer-files; a file that is absent is skipped.
#include "bench/ProcessStatus.h"
#include "tools/TestTokenizer/TestTokenizer.h"

#include "Hub/Config/YYJSONParser.h"
#include "Platform/Files/ReadFile.h"
#include "Platform/JSON/JSONDocument.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// The reader with the options that reading into values uses.
const Platform::JSON::ParseOptions readerOptions{
    .allowNanAndInfinity = true, .requireValidUTF8 = true, .fullPrecision = true};

// Times the call alone, as a program that reads the file once meets it: what
// it returns is freed outside the clock, and the heap's free lists are merged
// there too instead of at the next iteration's first large request.
template <class Read>
void timeReading(benchmark::State& state, const std::string& text, Read&& read)
{
    for (auto _ : state) {
        auto result = read(text);
        benchmark::DoNotOptimize(result);
        state.PauseTiming();
        {
            auto freed = std::move(result);
        }
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(text.size()) * state.iterations());
}

void parseDocumentAlone(benchmark::State& state, const std::string& text)
{
    timeReading(state, text,
                [](const std::string& json) { return Platform::JSON::parseDocument(json, readerOptions); });
}

void parseToConfig(benchmark::State& state, const std::string& text)
{
    timeReading(state, text, [](const std::string& json) { return Hub::YYJSONParser::parseToConfig(json); });
}

// The growth of resident memory while one file is read, the text itself
// already in memory, as a multiple of the file's size. The kernel's peak is
// reset first, and freed memory handed back, so earlier runs do not count.
void parseToConfigPeakMemory(benchmark::State& state, const std::string& text)
{
    for (auto _ : state) {
        malloc_trim(0);
        std::ofstream("/proc/self/clear_refs") << "5";
        const long before = QelBench::processStatusKiB("VmRSS:");
        {
            const Hub::Config config = Hub::YYJSONParser::parseToConfig(text);
            benchmark::DoNotOptimize(config);
        }
        const long peak = QelBench::processStatusKiB("VmHWM:");
        state.counters["peakOverFileMiB"] = static_cast<double>(peak - before) / 1024;
        state.counters["peakOverFileRatio"] =
            static_cast<double>(peak - before) * 1024 / static_cast<double>(text.size());
    }
}

// A tokenizer configuration's keys as files spell them.
const Hub::Config tokenizerConfig(Hub::Config::KeyValuePairs{
    {"add_bos_token", true},
    {"add_eos_token", false},
    {"bos_token", "<s>"},
    {"clean_up_tokenization_spaces", false},
    {"eos_token", "</s>"},
    {"legacy", true},
    {"model_max_length", 4096},
    {"pad_token", Hub::Config()},
    {"padding_side", "right"},
    {"sp_model_kwargs", Hub::Config::Dictionary{}},
    {"tokenizer_class", "LlamaTokenizer"},
    {"unk_token", "<unk>"},
    {"use_default_system_prompt", false},
});

void BM_MemberLookupExact(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(tokenizerConfig.member("add_bos_token"));
}
BENCHMARK(BM_MemberLookupExact);

void BM_MemberLookupSnakeCaseRetry(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(tokenizerConfig.member("addBosToken"));
}
BENCHMARK(BM_MemberLookupSnakeCaseRetry);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    const fs::path folder = QelTools::tokenizerFilesFolder();
    bool anyFile = false;
    for (const char* name : {"llama3", "qwen3", "gemma3"}) {
        const fs::path path = folder / name / "tokenizer.json";
        if (!fs::exists(path))
            continue;
        anyFile = true;
        // Read once; each benchmark keeps its copy for the run.
        const auto text = std::make_shared<const std::string>(Platform::readFile(path));
        const std::string suffix = std::string("/") + name;
        benchmark::RegisterBenchmark(("BM_ParseDocumentAlone" + suffix).c_str(), [text](benchmark::State& state) {
            parseDocumentAlone(state, *text);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_ParseToConfig" + suffix).c_str(), [text](benchmark::State& state) {
            parseToConfig(state, *text);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_ParseToConfigPeakMemory" + suffix).c_str(),
                                     [text](benchmark::State& state) { parseToConfigPeakMemory(state, *text); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    if (!anyFile)
        std::fprintf(stderr, "No tokenizer files in %s (scripts/fetch-tokenizer-files): reading them is skipped\n",
                     folder.c_str());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

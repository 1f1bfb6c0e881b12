// Encoding and decoding 100 KB of English with the English test tokenizer
// (built from GPT-2's files) and the published tokenizer files that
// scripts/fetch-tokenizer-files fetches, one thread and eight threads on one
// tokenizer; encoding with and without gemma3's added tokens; and building
// gemma3's tokenizer beside only parsing its file, with the peak memory that
// building takes above the file. Files that are absent are skipped.
#include "bench/ProcessStatus.h"
#include "bench/Tokenizers/EnglishText.h"
#include "tools/TestTokenizer/TestTokenizer.h"

#include "Hub/Config/YYJSONParser.h"
#include "Platform/Files/ReadFile.h"
#include "Tokenizers/PreTrainedTokenizer.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <map>
#include <memory>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Tokenizers::PreTrainedTokenizer;

const fs::path& testTokenizerFolder()
{
    static const fs::path folder = [] {
        const fs::path made = fs::temp_directory_path() / "qel-bench-test-tokenizer";
        QelTools::writeFetchedTestTokenizer(made);
        return made;
    }();
    return folder;
}

fs::path folderOf(const std::string& name)
{
    return name == "test" ? testTokenizerFolder() : QelTools::tokenizerFilesFolder() / name;
}

Hub::Config fileConfig(const fs::path& file)
{
    return Hub::YYJSONParser::parseToConfig(Platform::readFile(file));
}

// The data without its added tokens, for "gemma3-plain".
Hub::Config withoutAddedTokens(const Hub::Config& data)
{
    Hub::Config::Dictionary entries = data.dictionary(Hub::Config::Dictionary{});
    entries.erase(Hub::BinaryDistinctString("added_tokens"));
    return Hub::Config(std::move(entries));
}

const PreTrainedTokenizer* tokenizerNamed(const std::string& name)
{
    static std::map<std::string, std::unique_ptr<PreTrainedTokenizer>> built;
    if (const auto found = built.find(name); found != built.end())
        return found->second.get();
    const bool plain = name == "gemma3-plain";
    const fs::path folder = folderOf(plain ? "gemma3" : name);
    std::unique_ptr<PreTrainedTokenizer>& tokenizer = built[name];
    if (fs::exists(folder / "tokenizer.json") && fs::exists(folder / "tokenizer_config.json")) {
        const Hub::Config data = fileConfig(folder / "tokenizer.json");
        tokenizer = std::make_unique<PreTrainedTokenizer>(fileConfig(folder / "tokenizer_config.json"),
                                                          plain ? withoutAddedTokens(data) : data, true);
    }
    return tokenizer.get();
}

const std::string& benchText()
{
    static const std::string text = QelBench::englishText(100 << 10);
    return text;
}

void encode(benchmark::State& state, const std::string& name)
{
    const PreTrainedTokenizer* tokenizer = tokenizerNamed(name);
    if (!tokenizer) {
        state.SkipWithError("tokenizer files missing: run scripts/fetch-tokenizer-files");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(tokenizer->encode(benchText(), false));
    state.SetBytesProcessed(static_cast<int64_t>(benchText().size()) * state.iterations());
}

// Eight threads encode the text at once, each with the one shared tokenizer;
// the rate counts the bytes of all eight.
void encodeOnEightThreads(benchmark::State& state, const std::string& name)
{
    const PreTrainedTokenizer* tokenizer = tokenizerNamed(name);
    if (!tokenizer) {
        state.SkipWithError("tokenizer files missing: run scripts/fetch-tokenizer-files");
        return;
    }
    constexpr int threadCount = 8;
    for (auto _ : state) {
        std::vector<std::thread> threads;
        for (int index = 0; index < threadCount; ++index)
            threads.emplace_back([&] { benchmark::DoNotOptimize(tokenizer->encode(benchText(), false)); });
        for (std::thread& thread : threads)
            thread.join();
    }
    state.SetBytesProcessed(static_cast<int64_t>(benchText().size()) * threadCount * state.iterations());
}

void decode(benchmark::State& state, const std::string& name)
{
    const PreTrainedTokenizer* tokenizer = tokenizerNamed(name);
    if (!tokenizer) {
        state.SkipWithError("tokenizer files missing: run scripts/fetch-tokenizer-files");
        return;
    }
    const std::vector<int> ids = tokenizer->encode(benchText(), false);
    for (auto _ : state)
        benchmark::DoNotOptimize(tokenizer->decode(ids));
    state.SetBytesProcessed(static_cast<int64_t>(benchText().size()) * state.iterations());
}

#define QEL_TOKENIZER_BENCHMARKS(name)                                                                                 \
    BENCHMARK_CAPTURE(encode, name, #name)->Unit(benchmark::kMillisecond);                                             \
    BENCHMARK_CAPTURE(encodeOnEightThreads, name, #name)->Unit(benchmark::kMillisecond)->UseRealTime();                \
    BENCHMARK_CAPTURE(decode, name, #name)->Unit(benchmark::kMillisecond);

QEL_TOKENIZER_BENCHMARKS(test)
QEL_TOKENIZER_BENCHMARKS(llama3)
QEL_TOKENIZER_BENCHMARKS(qwen3)
QEL_TOKENIZER_BENCHMARKS(gemma3)
BENCHMARK_CAPTURE(encode, gemma3_plain, "gemma3-plain")->Unit(benchmark::kMillisecond);

// The high-water mark of resident memory starts again from now.
void resetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

void buildGemma3(benchmark::State& state, bool build)
{
    const fs::path folder = folderOf("gemma3");
    if (!fs::exists(folder / "tokenizer.json") || !fs::exists(folder / "tokenizer_config.json")) {
        state.SkipWithError("gemma3's files are missing: run scripts/fetch-tokenizer-files");
        return;
    }
    const std::string data = Platform::readFile(folder / "tokenizer.json");
    const Hub::Config configuration = fileConfig(folder / "tokenizer_config.json");
    long peakAbove = 0;
    for (auto _ : state) {
        resetPeakMemory();
        const long before = QelBench::processStatusKiB("VmRSS:");
        if (build)
            benchmark::DoNotOptimize(
                PreTrainedTokenizer(configuration, Hub::YYJSONParser::parseToConfig(data), true).encode("a"));
        else
            benchmark::DoNotOptimize(Hub::YYJSONParser::parseToConfig(data));
        peakAbove = std::max(peakAbove, QelBench::processStatusKiB("VmHWM:") - before);
    }
    state.counters["peakTimesFile"] = static_cast<double>(peakAbove) * 1024 / static_cast<double>(data.size());
}
BENCHMARK_CAPTURE(buildGemma3, parseOnly, false)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(buildGemma3, parseAndBuild, true)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

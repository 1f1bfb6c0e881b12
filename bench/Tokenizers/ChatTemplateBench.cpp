// Chat templates of the published tokenizer configurations (llama3, qwen3
// without and with two tools, gemma3) over a conversation of ten messages:
// rendering a compiled template alone, and the whole applyChatTemplate call
// beside each of its steps (the cache lookup, making the variables, rendering,
// encoding) so that their shares show. Files that are absent are skipped.
#include "tools/TestTokenizer/TestTokenizer.h"

#include "Hub/Config/YYJSONParser.h"
#include "Platform/Files/ReadFile.h"
#include "Tokenizers/PreTrainedTokenizer.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

namespace fs = std::filesystem;
using Tokenizers::Message;
using Tokenizers::PreTrainedTokenizer;
using Tokenizers::ToolSpec;
using Map = std::map<std::string, std::any>;

const PreTrainedTokenizer* tokenizerNamed(const std::string& name)
{
    static std::map<std::string, std::unique_ptr<PreTrainedTokenizer>> built;
    if (const auto found = built.find(name); found != built.end())
        return found->second.get();
    const fs::path folder = QelTools::tokenizerFilesFolder() / name;
    std::unique_ptr<PreTrainedTokenizer>& tokenizer = built[name];
    if (fs::exists(folder / "tokenizer.json") && fs::exists(folder / "tokenizer_config.json"))
        tokenizer = std::make_unique<PreTrainedTokenizer>(
            Hub::YYJSONParser::parseToConfig(Platform::readFile(folder / "tokenizer_config.json")),
            Hub::YYJSONParser::parseToConfig(Platform::readFile(folder / "tokenizer.json")), true);
    return tokenizer.get();
}

// A system message, then user and assistant in turn: ten messages that every
// template accepts.
const std::vector<Message>& tenMessages()
{
    static const std::vector<Message> messages = [] {
        std::vector<Message> made = {{{"role", std::string("system")}, {"content", std::string("You are terse.")}}};
        for (int turn = 1; turn < 10; ++turn)
            made.push_back({{"role", std::string(turn % 2 ? "user" : "assistant")},
                            {"content", "Message number " + std::to_string(turn) + " of a short chat."}});
        return made;
    }();
    return messages;
}

const std::vector<ToolSpec>& twoTools()
{
    static const std::vector<ToolSpec> tools = {
        {{"type", std::string("function")},
         {"function", Map{{"name", std::string("get_weather")},
                          {"description", std::string("Get the weather")},
                          {"parameters", Map{{"type", std::string("object")},
                                             {"properties", Map{{"city", Map{{"type", std::string("string")}}}}}}}}}},
        {{"type", std::string("function")},
         {"function", Map{{"name", std::string("get_time")}, {"description", std::string("Get the time")}}}},
    };
    return tools;
}

struct Case {
    const PreTrainedTokenizer* tokenizer;
    std::optional<std::vector<ToolSpec>> tools;
    std::string source;
};

// None, and the benchmark skipped, when the files are absent.
std::optional<Case> caseNamed(benchmark::State& state, const std::string& name)
{
    const bool withTools = name == "qwen3_tools";
    const PreTrainedTokenizer* tokenizer = tokenizerNamed(withTools ? "qwen3" : name);
    if (!tokenizer) {
        state.SkipWithError("tokenizer files missing: run scripts/fetch-tokenizer-files");
        return std::nullopt;
    }
    return Case{tokenizer, withTools ? std::optional(twoTools()) : std::nullopt,
                tokenizer->tokenizerConfig()["chat_template"].string().value()};
}

// What the templates read: the conversation, the prompt switch, the tools
// and the configuration's text special tokens.
Jinja::Template::Context variablesOf(const Case& chat)
{
    const auto listOf = [](const std::vector<Map>& maps) {
        Jinja::Array elements;
        for (const Map& map : maps)
            elements.push_back(Jinja::Value::fromAny(map));
        return Jinja::Value(std::move(elements));
    };
    Jinja::Template::Context variables = {{"messages", listOf(tenMessages())},
                                          {"add_generation_prompt", Jinja::Value(true)}};
    if (chat.tools)
        variables.insert_or_assign("tools", listOf(*chat.tools));
    for (const char* key : {"bos_token", "eos_token", "pad_token", "unk_token"})
        if (const std::optional<std::string> text = chat.tokenizer->tokenizerConfig()[key].string())
            variables.insert_or_assign(key, Jinja::Value(*text));
    return variables;
}

void render(benchmark::State& state, const std::string& name)
{
    const std::optional<Case> chat = caseNamed(state, name);
    if (!chat)
        return;
    const std::shared_ptr<const Jinja::Template> compiled = chat->tokenizer->compiledTemplate(chat->source);
    const Jinja::Template::Context variables = variablesOf(*chat);
    for (auto _ : state)
        benchmark::DoNotOptimize(compiled->render(variables));
}

void wholeCall(benchmark::State& state, const std::string& name)
{
    const std::optional<Case> chat = caseNamed(state, name);
    if (!chat)
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(chat->tokenizer->applyChatTemplate(tenMessages(), chat->tools));
}

void cacheHit(benchmark::State& state, const std::string& name)
{
    const std::optional<Case> chat = caseNamed(state, name);
    if (!chat)
        return;
    chat->tokenizer->compiledTemplate(chat->source);
    for (auto _ : state)
        benchmark::DoNotOptimize(chat->tokenizer->compiledTemplate(chat->source));
}

void variables(benchmark::State& state, const std::string& name)
{
    const std::optional<Case> chat = caseNamed(state, name);
    if (!chat)
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(variablesOf(*chat));
}

void encodeRendered(benchmark::State& state, const std::string& name)
{
    const std::optional<Case> chat = caseNamed(state, name);
    if (!chat)
        return;
    const std::string text = chat->tokenizer->compiledTemplate(chat->source)->render(variablesOf(*chat));
    for (auto _ : state)
        benchmark::DoNotOptimize(chat->tokenizer->encode(text, false));
}

#define QEL_CHAT_TEMPLATE_BENCHMARKS(name)                                                                             \
    BENCHMARK_CAPTURE(render, name, #name)->Unit(benchmark::kMicrosecond);                                             \
    BENCHMARK_CAPTURE(wholeCall, name, #name)->Unit(benchmark::kMicrosecond);                                          \
    BENCHMARK_CAPTURE(cacheHit, name, #name)->Unit(benchmark::kMicrosecond);                                           \
    BENCHMARK_CAPTURE(variables, name, #name)->Unit(benchmark::kMicrosecond);                                          \
    BENCHMARK_CAPTURE(encodeRendered, name, #name)->Unit(benchmark::kMicrosecond);

QEL_CHAT_TEMPLATE_BENCHMARKS(llama3)
QEL_CHAT_TEMPLATE_BENCHMARKS(qwen3)
QEL_CHAT_TEMPLATE_BENCHMARKS(qwen3_tools)
QEL_CHAT_TEMPLATE_BENCHMARKS(gemma3)

} // namespace

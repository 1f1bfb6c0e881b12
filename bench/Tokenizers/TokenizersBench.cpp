// Byte-pair merging of one long pre-token of 1, 10 and 100 KB with a real
// merges list (GPT-2's, from scripts/fetch-tokenizer-files; skipped when
// absent), whose times should grow about linearly; and the byte-level and
// word-marker pre-tokenizers over 100 KB of English text.
#include "bench/Tokenizers/EnglishText.h"
#include "tools/TestTokenizer/TestTokenizer.h"

#include "Hub/Config/Config.h"
#include "Tokenizers/Models/BPE/BPETokenizer.h"
#include "Tokenizers/Models/BPE/ByteLevelAlphabet.h"
#include "Tokenizers/PreTokenizers/PreTokenizerFactory.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <optional>
#include <string>

namespace {

// The text as the byte-level pre-tokenizer writes it, spaces included, as
// one pre-token without a space.
std::string byteLevelToken(std::size_t bytes)
{
    std::string token;
    for (char byte : QelBench::englishText(bytes))
        token += Tokenizers::byteEncoder()[static_cast<unsigned char>(byte)];
    return token;
}

std::optional<Tokenizers::BPETokenizer> gpt2Model()
{
    std::ifstream file(QelTools::tokenizerFilesFolder() / "gpt2" / "vocab.bpe");
    if (!file)
        return std::nullopt;
    Hub::Config::Array merges;
    for (std::string line; std::getline(file, line);)
        if (!line.empty() && !line.starts_with("#version"))
            merges.emplace_back(line);
    const Hub::Config model(Hub::Config::KeyValuePairs{{"merges", Hub::Config(std::move(merges))},
                                                       {"vocab", Hub::Config(Hub::Config::Dictionary{})}});
    return Tokenizers::BPETokenizer(Hub::Config(), Hub::Config(Hub::Config::KeyValuePairs{{"model", model}}), {});
}

void mergeOneLongPreToken(benchmark::State& state)
{
    static const std::optional<Tokenizers::BPETokenizer> model = gpt2Model();
    if (!model) {
        state.SkipWithError("GPT-2's merges are missing: run scripts/fetch-tokenizer-files");
        return;
    }
    const std::string token = byteLevelToken(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(model->bpe(token));
    state.SetBytesProcessed(static_cast<int64_t>(token.size()) * state.iterations());
}
BENCHMARK(mergeOneLongPreToken)->Arg(1 << 10)->Arg(10 << 10)->Arg(100 << 10)->Unit(benchmark::kMillisecond);

void preTokenize(benchmark::State& state, const char* configJSONType)
{
    const std::unique_ptr<Tokenizers::PreTokenizer> preTokenizer = Tokenizers::PreTokenizerFactory::fromConfig(
        Hub::Config(Hub::Config::KeyValuePairs{{"type", configJSONType}, {"replacement", "\u2581"}}));
    const std::string text = QelBench::englishText(100 << 10);
    for (auto _ : state)
        benchmark::DoNotOptimize((*preTokenizer)(text, {Tokenizers::PreTokenizerOption::firstSection}));
    state.SetBytesProcessed(static_cast<int64_t>(text.size()) * state.iterations());
}
BENCHMARK_CAPTURE(preTokenize, byteLevel, "ByteLevel")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(preTokenize, metaspace, "Metaspace")->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

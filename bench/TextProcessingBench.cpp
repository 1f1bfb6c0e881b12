// Speed of the text clean-up chain on long utterances: one long run of digits
// (the shape that once took time quadratic in its length) against ordinary
// dictation of the same size.
#include "App/Processing/TextProcessor.h"

#include <benchmark/benchmark.h>

#include <string>

namespace QelBench {
namespace {

constexpr std::size_t kTextBytes = 100 * 1024;

std::string digitRun()
{
    std::string text(kTextBytes, '0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>('0' + i % 10);
    return text;
}

// What an engine writes for everyday dictation: fillers, number words,
// money, percentages, times, ordinals and abbreviations among plain words.
std::string dictation()
{
    const std::string sentences[] = {
        "um so I need twenty five dollars by three thirty pm tomorrow. ",
        "the report says growth was 2.5 percent in the second quarter, you know, basically flat. ",
        "for example the first draft cost 1,000 dollars and 50 cents et cetera. ",
        "i think we should meet doctor Smith at the office around ten fifteen am. ",
        "like I mean the numbers are 3 point 1 4 and ninety nine, sort of. ",
        "please send the file to the team and dont forget the budget for 12 euros. ",
    };
    std::string text;
    for (std::size_t i = 0; text.size() < kTextBytes; ++i)
        text += sentences[i % std::size(sentences)];
    text.resize(kTextBytes);
    return text;
}

// Fillers removed and the general context, as the application runs by
// default. Command detection only compares the whole utterance with sixteen
// short phrases, so it is left out.
void processText(benchmark::State& state, const std::string& text)
{
    const QEL::TextProcessor processor(QEL::FillerRemover(), std::nullopt, QEL::SmartFormatter(),
                                       [] { return QEL::AppContext(QEL::AppContext::general); });
    QEL::QELTranscriptionResult result;
    result.text = text;
    for (auto _ : state)
        benchmark::DoNotOptimize(processor.process(result));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_ProcessDigitRun(benchmark::State& state)
{
    processText(state, digitRun());
}
void BM_ProcessDictation(benchmark::State& state)
{
    processText(state, dictation());
}

BENCHMARK(BM_ProcessDigitRun)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProcessDictation)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace QelBench

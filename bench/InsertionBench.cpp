// Time from handing a text to an inserter until it is in a focused text field
// of another application, for both ways of inserting. Needs the headless
// desktop: .ci/desktop.sh build/release/bench/qel-bench --benchmark_filter=Insert
#include "App/Insertion/KeystrokeInserter.h"
#include "App/Insertion/PasteInserter.h"
#include "Platform/Input/SyntheticKeyboard.h"
#include "Platform/Text/Graphemes.h"
#include "Support/TextField.h"
#include "Support/Waiting.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace QelBench {
namespace {

// Dictation with a few characters a US keyboard lacks, which are typed on
// lent key codes.
std::string dictatedText(std::size_t characters)
{
    const std::string sentence = "The quick brown fox jumps over the lazy dog at the café, naïvely. ";
    std::string text;
    while (Platform::graphemeCount(text) < characters)
        text += sentence;
    return std::string(Platform::graphemePrefix(text, characters));
}

void insertIntoAnotherApplication(benchmark::State& state, QEL::TextInserting& inserter)
{
    static int argc = 1;
    static char name[] = "qel-bench";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QGuiApplication(argc, argv); // the clipboard's owner for pastes; lives until the end
    if (!Platform::SyntheticKeyboard::isAvailable()) {
        state.SkipWithError("needs an X display with XTEST, such as the headless desktop of .ci/desktop.sh");
        return;
    }
    const std::string text = dictatedText(static_cast<std::size_t>(state.range(0)));
    TestSupport::ForeignTextField field;
    for (auto _ : state) {
        field.clear();
        const auto start = std::chrono::steady_clock::now();
        // As the application does: from a worker, while the main thread runs events.
        TestSupport::runOnWorkerThread([&] { inserter.insert(text); });
        if (!field.waitForText(text)) {
            state.SkipWithError("the text did not arrive");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

void BM_InsertByPaste(benchmark::State& state)
{
    QEL::PasteInserter inserter;
    insertIntoAnotherApplication(state, inserter);
}

void BM_InsertByKeystrokes(benchmark::State& state)
{
    QEL::KeystrokeInserter inserter; // with the application's 5 ms after each character
    insertIntoAnotherApplication(state, inserter);
}

BENCHMARK(BM_InsertByPaste)->Arg(20)->Arg(500)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertByKeystrokes)->Arg(20)->Arg(500)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace QelBench

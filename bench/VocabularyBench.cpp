// Opening the vocabulary page of the settings, drawn offscreen, with no words
// and with 100,000, beside a sample sentence of 10 MB: the time to build, lay
// out and draw it, and the heap it holds while open.
#include "App/Views/Settings/VocabularyView.h"
#include "Platform/UserDefaults/UserDefaults.h"
#include "Support/TestEnvironment.h"
#include "bench/Widgets.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace QelBench {
namespace {

// Settings holding `words` vocabulary words and a sample sentence of
// `sentenceBytes`, made once per pair.
Platform::UserDefaults& vocabularySettings(std::size_t words, std::size_t sentenceBytes)
{
    struct Settings {
        TestSupport::TemporaryFolder folder;
        Platform::UserDefaults defaults{folder / "QEL.json"};
    };
    static std::map<std::pair<std::size_t, std::size_t>, std::unique_ptr<Settings>> made;
    auto& settings = made[{words, sentenceBytes}];
    if (!settings) {
        settings = std::make_unique<Settings>();
        std::vector<std::string> list;
        for (std::size_t word = 0; word < words; ++word)
            list.push_back("word" + std::to_string(word));
        settings->defaults.set(list, "customVocabulary");
        settings->defaults.set(std::string(sentenceBytes, 'a'), "vocabularySampleSentence");
    }
    return settings->defaults;
}

void BM_OpenVocabulary(benchmark::State& state)
{
    if (!widgetsCanBeShown()) {
        state.SkipWithError("another benchmark started Qt without widgets: run these with "
                            "--benchmark_filter=Vocabulary");
        return;
    }
    Platform::UserDefaults& defaults =
        vocabularySettings(static_cast<std::size_t>(state.range(0)), static_cast<std::size_t>(state.range(1)));
    std::size_t heldBytes = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        QEL::VocabularyView view(defaults);
        view.resize(600, 380);
        view.show();
        view.repaint();
        heldBytes = mallinfo2().uordblks - before;
    }
    state.counters["heldMiB"] = static_cast<double>(heldBytes) / (1 << 20);
}

BENCHMARK(BM_OpenVocabulary)->Args({0, 0})->Args({100000, 0})->Args({0, 10 << 20})->Unit(benchmark::kMillisecond);

} // namespace
} // namespace QelBench

// The history browser with 10,000 transcripts, drawn offscreen: opening it
// (building, laying out and drawing the window), the first search after the
// history changed (which folds every text once), and each further keystroke
// in the search field (filtering and drawing the list again).
#include "App/Models/TranscriptHistoryStore.h"
#include "App/State/AppState.h"
#include "App/Views/History/TranscriptHistoryView.h"
#include "Platform/UserDefaults/UserDefaults.h"
#include "Support/TestEnvironment.h"
#include "bench/Widgets.h"

#include <QLineEdit>

#include <benchmark/benchmark.h>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace QelBench {
namespace {

constexpr int kTranscripts = 10000;

// An application state whose history holds kTranscripts entries of about
// `textLength` bytes, over settings and a store in a temporary folder.
class BrowsedHistory {
public:
    explicit BrowsedHistory(std::size_t textLength)
    {
        const std::array<std::string, 4> sentences{
            "Please send the draft to the team by three thirty and keep a copy. ",
            "The quarterly numbers look better than last year, mostly thanks to Europe. ",
            "Remind me to call the dentist on Monday morning before the stand-up. ",
            "Über den Fluss führt eine Brücke, die im Winter gesperrt ist. ",
        };
        std::vector<QEL::SavedTranscript> history;
        for (int i = 0; i < kTranscripts; ++i) {
            std::string text;
            for (std::size_t k = static_cast<std::size_t>(i); text.size() < textLength; ++k)
                text += sentences[k % sentences.size()];
            text.resize(textLength);
            history.push_back(*QEL::SavedTranscript::dictation(text, Platform::Date{7e8 - i * 60.0}));
        }
        state_->setTranscriptHistory(std::move(history));
    }

    QEL::AppState& state() { return *state_; }

private:
    TestSupport::TemporaryFolder folder_;
    Platform::UserDefaults defaults_{folder_ / "QEL.json"};
    QEL::TranscriptHistoryStore store_{folder_ / "Transcripts"};
    std::shared_ptr<QEL::AppState> state_ = QEL::AppState::create(defaults_, store_);
};

BrowsedHistory* browsedHistory(benchmark::State& state)
{
    if (!widgetsCanBeShown()) {
        state.SkipWithError("another benchmark started Qt without widgets: run these with "
                            "--benchmark_filter=HistoryBrowser");
        return nullptr;
    }
    const auto textLength = static_cast<std::size_t>(state.range(0));
    static std::map<std::size_t, std::unique_ptr<BrowsedHistory>> histories;
    auto& history = histories[textLength];
    if (!history)
        history = std::make_unique<BrowsedHistory>(textLength);
    return history.get();
}

// Shows the window as the settings window would, and draws it at once.
std::unique_ptr<QEL::TranscriptHistoryView> openBrowser(QEL::AppState& state)
{
    auto view = std::make_unique<QEL::TranscriptHistoryView>(state);
    view->resize(600, 380);
    view->show();
    view->repaint();
    return view;
}

void type(QEL::TranscriptHistoryView& view, const QString& search)
{
    view.findChild<QLineEdit*>()->setText(search);
    view.repaint();
}

void BM_OpenHistoryBrowser(benchmark::State& state)
{
    BrowsedHistory* history = browsedHistory(state);
    if (!history)
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(openBrowser(history->state()));
}

void BM_FirstSearchInHistoryBrowser(benchmark::State& state)
{
    BrowsedHistory* history = browsedHistory(state);
    if (!history)
        return;
    for (auto _ : state) {
        state.PauseTiming();
        auto view = openBrowser(history->state());
        state.ResumeTiming();
        type(*view, "d");
    }
}

// One keystroke at a time, as a user types "dentist" and deletes it again.
void BM_KeystrokeInHistoryBrowser(benchmark::State& state)
{
    BrowsedHistory* history = browsedHistory(state);
    if (!history)
        return;
    auto view = openBrowser(history->state());
    type(*view, "x");
    const QString word = "dentist";
    std::vector<QString> searches;
    for (qsizetype length = 1; length <= word.size(); ++length)
        searches.push_back(word.left(length));
    for (qsizetype length = word.size() - 1; length >= 0; --length)
        searches.push_back(word.left(length));
    std::size_t next = 0;
    for (auto _ : state) {
        type(*view, searches[next]);
        next = (next + 1) % searches.size();
    }
    state.counters["transcripts"] = kTranscripts;
}

BENCHMARK(BM_OpenHistoryBrowser)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstSearchInHistoryBrowser)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeystrokeInHistoryBrowser)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace QelBench

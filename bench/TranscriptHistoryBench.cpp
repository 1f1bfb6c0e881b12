// Loading the transcript history: a folder of 10,000 entry files read and
// decoded newest first, with the heap the loaded entries hold against the text
// they carry.
#include "App/Models/TranscriptHistoryStore.h"
#include "Platform/JSON/JSONDocument.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

namespace QelBench {
namespace {

constexpr int kEntries = 10000;

// A temporary folder of kEntries entries whose texts have about
// `textLength` bytes each, written once per text length and removed at exit.
class HistoryFolder {
public:
    explicit HistoryFolder(std::size_t textLength)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "qel-bench-history-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder");
        path_ = pattern;
        const std::string sentence = "please send the draft to the team by three thirty and keep a copy. ";
        std::string text;
        while (text.size() < textLength)
            text += sentence;
        text.resize(textLength);
        for (int i = 0; i < kEntries; ++i) {
            auto entry = QEL::SavedTranscript::dictation(text, Platform::Date{7e8 + i * 60.0});
            rapidjson::Document document;
            const std::string bytes = Platform::JSON::serialize(entry->toJSON(document.GetAllocator()));
            std::ofstream(path_ / (entry->id + ".json"), std::ios::binary) << bytes;
        }
    }
    ~HistoryFolder() { std::filesystem::remove_all(path_); }

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

const std::filesystem::path& historyFolder(std::size_t textLength)
{
    static std::map<std::size_t, HistoryFolder> folders;
    return folders.try_emplace(textLength, textLength).first->second.path();
}

void BM_LoadHistory(benchmark::State& state)
{
    const auto& folder = historyFolder(static_cast<std::size_t>(state.range(0)));
    std::size_t heldBytes = 0;
    std::size_t textBytes = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        QEL::TranscriptHistoryStore store(folder);
        const auto entries = store.loadAll();
        heldBytes = mallinfo2().uordblks - before;
        textBytes = 0;
        for (const auto& entry : entries)
            textBytes += entry.text.size() + entry.title.size();
        if (entries.size() != kEntries)
            state.SkipWithError("not every entry loaded");
    }
    state.counters["entries"] = kEntries;
    state.counters["heldMiB"] = static_cast<double>(heldBytes) / (1 << 20);
    state.counters["textMiB"] = static_cast<double>(textBytes) / (1 << 20);
    state.counters["bytesPerEntryBesideText"] = static_cast<double>(heldBytes - textBytes) / kEntries;
}

BENCHMARK(BM_LoadHistory)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace QelBench

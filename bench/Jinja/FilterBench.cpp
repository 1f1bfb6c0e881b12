// Speed of the filters that sort, encode and scan large inputs, each called
// directly (no template around it). Every benchmark reports the median of
// several rounds; a ratio compares two medians of the same run.
//  - BM_SortFilter, BM_GroupbyFilter: 100,000 objects ("ms").
//  - BM_TojsonFilter: a nested object of about 1 MB, beside writing the same
//    tree with the JSON layer alone ("ratio_to_serialize").
//  - BM_TextFilters: truncate, wordcount and center on 1 MB of ASCII, each
//    beside one plain loop over its bytes ("..._ratio_to_byte_loop").
#include "Jinja/Builtins/Filters.h"
#include "Platform/JSON/JSONDocument.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace QelBench {
namespace {

constexpr int itemCount = 100'000;

double medianSeconds(const std::function<void()>& work, int rounds)
{
    std::vector<double> seconds;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        work();
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::ranges::sort(seconds);
    return seconds[seconds.size() / 2];
}

Jinja::Value call(const Jinja::Function& filter, std::vector<Jinja::Value> arguments)
{
    return filter(arguments, {}, nullptr);
}

// Names and cities in a shuffled order, with mixed letter case.
const Jinja::Value& people()
{
    static const Jinja::Value value = [] {
        std::mt19937 random(42);
        Jinja::Array items;
        items.reserve(itemCount);
        for (int index = 0; index < itemCount; ++index) {
            const auto draw = random();
            items.push_back(Jinja::Value::object(
                {{"name", Jinja::Value((draw % 2 ? "Person " : "person ") + std::to_string(draw % 50'000))},
                 {"city", Jinja::Value("City " + std::to_string(draw % 100))}}));
        }
        return Jinja::Value(std::move(items));
    }();
    return value;
}

void BM_SortFilter(benchmark::State& state)
{
    double seconds = 0;
    for (auto _ : state)
        seconds = medianSeconds(
            [] {
                benchmark::DoNotOptimize(call(
                    Jinja::Filters::sort, {people(), Jinja::Value(false), Jinja::Value(false), Jinja::Value("name")}));
            },
            7);
    state.counters["ms"] = seconds * 1e3;
}
BENCHMARK(BM_SortFilter)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_GroupbyFilter(benchmark::State& state)
{
    double seconds = 0;
    for (auto _ : state)
        seconds = medianSeconds(
            [] {
                benchmark::DoNotOptimize(call(Jinja::Filters::groupby, {people(), Jinja::Value("city")}));
            },
            7);
    state.counters["ms"] = seconds * 1e3;
}
BENCHMARK(BM_GroupbyFilter)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_TojsonFilter(benchmark::State& state)
{
    Jinja::Array rows;
    for (int index = 0; index < 10'000; ++index)
        rows.push_back(Jinja::Value::object({{"id", Jinja::Value(index)},
                                             {"text", Jinja::Value("row number " + std::to_string(index))},
                                             {"tags", Jinja::Value::array({Jinja::Value("a"), Jinja::Value(1.5)})},
                                             {"flag", Jinja::Value(index % 2 == 0)}}));
    const Jinja::Value tree = Jinja::Value::object({{"rows", Jinja::Value(std::move(rows))}});
    rapidjson::Document document;
    const rapidjson::Value json = tree.toJSON(document.GetAllocator());
    double filter = 0;
    double serialize = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        filter = medianSeconds([&] { bytes = call(Jinja::Filters::tojson, {tree}).asString().utf8().size(); }, 9);
        serialize = medianSeconds([&] { benchmark::DoNotOptimize(Platform::JSON::serialize(json)); }, 9);
    }
    state.counters["ms"] = filter * 1e3;
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["ratio_to_serialize"] = filter / serialize;
}
BENCHMARK(BM_TojsonFilter)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_TextFilters(benchmark::State& state)
{
    std::string text;
    for (int index = 0; text.size() < 1'000'000; ++index)
        text += "word" + std::to_string(index % 97) + (index % 13 ? " " : "\n");
    const Jinja::Value value(text);
    // The least that a pass over every byte costs.
    const double byteLoop =
        medianSeconds([&] { benchmark::DoNotOptimize(std::count(text.begin(), text.end(), ' ')); }, 15);
    double truncate = 0;
    double wordcount = 0;
    double center = 0;
    for (auto _ : state) {
        truncate = medianSeconds(
            [&] {
                benchmark::DoNotOptimize(call(Jinja::Filters::truncate, {value, Jinja::Value(500'000)}));
            },
            15);
        wordcount = medianSeconds([&] { benchmark::DoNotOptimize(call(Jinja::Filters::wordcount, {value})); }, 15);
        center = medianSeconds(
            [&] {
                benchmark::DoNotOptimize(call(Jinja::Filters::center, {value, Jinja::Value(1'000'100)}));
            },
            15);
    }
    state.counters["truncate_ratio_to_byte_loop"] = truncate / byteLoop;
    state.counters["wordcount_ratio_to_byte_loop"] = wordcount / byteLoop;
    state.counters["center_ratio_to_byte_loop"] = center / byteLoop;
    state.counters["byte_loop_us"] = byteLoop * 1e6;
}
BENCHMARK(BM_TextFilters)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace QelBench

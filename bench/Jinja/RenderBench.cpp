// Rendering speed of a loop, compile excluded.
//  - BM_RenderLoop: a 10,000-item loop that prints loop.index and a member of
//    each item; reports the median time per item ("item_ns").
//  - BM_RenderLoopContinue: the same loop with every item ending in continue;
//    reports its median time per item and, timed in the same run, its ratio to
//    the loop without continue ("ratio_to_plain").
#include "Jinja/Template.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace QelBench {
namespace {

constexpr int itemCount = 10'000;

const Jinja::Template::Context& loopContext()
{
    static const Jinja::Template::Context context = [] {
        Jinja::Array items;
        items.reserve(itemCount);
        for (int index = 0; index < itemCount; ++index)
            items.push_back(Jinja::Value::object(
                {{"name", Jinja::Value("item " + std::to_string(index))}, {"id", Jinja::Value(index)}}));
        return Jinja::Template::Context{{"items", Jinja::Value(std::move(items))}};
    }();
    return context;
}

const Jinja::Template plainLoop("{% for item in items %}{{ loop.index }} {{ item.name }}\n{% endfor %}");
const Jinja::Template
    continueLoop("{% for item in items %}{{ loop.index }} {{ item.name }}\n{% continue %}{% endfor %}");

double medianSecondsPerItem(const Jinja::Template& compiled, int rounds)
{
    std::vector<double> seconds;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(compiled.render(loopContext()));
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::ranges::sort(seconds);
    return seconds[seconds.size() / 2] / itemCount;
}

void BM_RenderLoop(benchmark::State& state)
{
    double perItem = 0;
    for (auto _ : state)
        perItem = medianSecondsPerItem(plainLoop, 15);
    state.counters["item_ns"] = perItem * 1e9;
}
BENCHMARK(BM_RenderLoop)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_RenderLoopContinue(benchmark::State& state)
{
    double perItem = 0;
    double plain = 0;
    for (auto _ : state) {
        perItem = medianSecondsPerItem(continueLoop, 15);
        plain = medianSecondsPerItem(plainLoop, 15);
    }
    state.counters["item_ns"] = perItem * 1e9;
    state.counters["ratio_to_plain"] = perItem / plain;
}
BENCHMARK(BM_RenderLoopContinue)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace QelBench

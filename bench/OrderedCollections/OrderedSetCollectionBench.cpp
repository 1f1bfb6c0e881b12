// The ordered set's positional changes, sorting and intersection beside the
// same work on std::vector and std::unordered_set.

#include "OrderedCollections/OrderedSet/OrderedSet.h"
#include "bench/OrderedCollections/BenchKeys.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <unordered_set>
#include <vector>

namespace {

using OrderedCollections::OrderedSet;

constexpr std::int64_t largeCount = 100000;

OrderedSet<std::int64_t> largeSet(std::uint64_t seed = 1)
{
    const auto keys = QelBench::distinctIntegers(largeCount, seed);
    return OrderedSet<std::int64_t>(std::vector<std::int64_t>(keys.begin(), keys.begin() + largeCount));
}

// Times `change` on a fresh copy of `original` in each iteration.
template <class T, class Change>
void timeOnCopies(benchmark::State& state, const T& original, Change&& change)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto copy = original;
        state.ResumeTiming();
        change(copy);
        benchmark::DoNotOptimize(copy);
    }
}

// Removing the first element and putting it back in front: the index only
// moves its bias, so the element array's shift is the whole cost.
void removeFirstAndInsertAtFrontOfOrderedSet(benchmark::State& state)
{
    auto set = largeSet();
    for (auto _ : state) {
        auto first = set.removeFirst();
        set.insert(first, 0);
        benchmark::DoNotOptimize(set.count());
    }
}
void removeFirstAndInsertAtFrontOfVector(benchmark::State& state)
{
    auto set = largeSet();
    std::vector<std::int64_t> vector = set.elements();
    for (auto _ : state) {
        auto first = vector.front();
        vector.erase(vector.begin());
        vector.insert(vector.begin(), first);
        benchmark::DoNotOptimize(vector.data());
    }
}
BENCHMARK(removeFirstAndInsertAtFrontOfOrderedSet)->Unit(benchmark::kMicrosecond);
BENCHMARK(removeFirstAndInsertAtFrontOfVector)->Unit(benchmark::kMicrosecond);

// Ten elements from the middle, against rebuilding the index of the same set.
void removeTenFromTheMiddle(benchmark::State& state)
{
    const auto set = largeSet();
    timeOnCopies(state, set, [](auto& copy) { copy.removeSubrange(largeCount / 2, largeCount / 2 + 10); });
}
void rebuildTheIndex(benchmark::State& state)
{
    const auto set = largeSet();
    timeOnCopies(state, set, [](auto& copy) { copy._regenerateHashTable(); });
}
BENCHMARK(removeTenFromTheMiddle)->Unit(benchmark::kMicrosecond);
BENCHMARK(rebuildTheIndex)->Unit(benchmark::kMicrosecond);

void sortOrderedSet(benchmark::State& state)
{
    const auto set = largeSet();
    timeOnCopies(state, set, [](auto& copy) { copy.sort(); });
}
void stableSortVector(benchmark::State& state)
{
    const auto vector = largeSet().elements();
    timeOnCopies(state, vector, [](auto& copy) { std::stable_sort(copy.begin(), copy.end()); });
}
BENCHMARK(sortOrderedSet)->Unit(benchmark::kMillisecond);
BENCHMARK(stableSortVector)->Unit(benchmark::kMillisecond);

// Two sets of 100k sharing half their elements.
std::vector<std::int64_t> halfShared()
{
    const auto keys = QelBench::distinctIntegers(largeCount);
    return QelBench::shuffled(
        std::vector<std::int64_t>(keys.begin() + largeCount / 2, keys.begin() + 3 * largeCount / 2));
}

void intersectOrderedSets(benchmark::State& state)
{
    const auto a = largeSet();
    const OrderedSet<std::int64_t> b(halfShared());
    for (auto _ : state)
        benchmark::DoNotOptimize(a.intersection(b).count());
}
void intersectUnorderedSets(benchmark::State& state)
{
    const auto elements = largeSet().elements();
    const std::unordered_set<std::int64_t> a(elements.begin(), elements.end());
    const auto shared = halfShared();
    const std::unordered_set<std::int64_t> b(shared.begin(), shared.end());
    for (auto _ : state) {
        std::unordered_set<std::int64_t> result;
        for (const auto x : a)
            if (b.contains(x))
                result.insert(x);
        benchmark::DoNotOptimize(result.size());
    }
}
BENCHMARK(intersectOrderedSets)->Unit(benchmark::kMillisecond);
BENCHMARK(intersectUnorderedSets)->Unit(benchmark::kMillisecond);

} // namespace

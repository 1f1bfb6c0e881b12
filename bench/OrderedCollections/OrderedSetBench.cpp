// The ordered set beside std::unordered_set: lookups that hit and miss,
// appending, the index's size, and small sets of strings without an index.

#include "OrderedCollections/OrderedSet/OrderedSet.h"
#include "bench/OrderedCollections/BenchKeys.h"

#include <benchmark/benchmark.h>

#include <unordered_set>

namespace {

using OrderedCollections::OrderedSet;

// Arguments: element count, and 1 for lookups that hit, 0 for misses.
template <class Set>
void findIntegers(benchmark::State& state)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    const auto keys = QelBench::distinctIntegers(count);
    Set set;
    for (std::size_t i = 0; i < count; ++i)
        set.insert(set.end(), keys[i]);
    const std::size_t first = state.range(1) ? 0 : count;
    const auto probes =
        QelBench::shuffled(std::vector<std::int64_t>(keys.begin() + first, keys.begin() + first + count));
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(set.find(probes[next]) != set.end());
        next = next + 1 == count ? 0 : next + 1;
    }
}

// The ordered set's lookup, under the names the standard set uses.
struct OrderedSetOfIntegers : OrderedSet<std::int64_t> {
    auto end() const { return OrderedSet<std::int64_t>::end(); }
    void insert(const_iterator, std::int64_t key) { append(key); }
    const_iterator find(std::int64_t key) const
    {
        const auto found = _find(key);
        return found.index ? begin() + *found.index : end();
    }
};

BENCHMARK(findIntegers<OrderedSetOfIntegers>)->ArgsProduct({{1000, 100000, 1000000}, {1, 0}});
BENCHMARK(findIntegers<std::unordered_set<std::int64_t>>)->ArgsProduct({{1000, 100000, 1000000}, {1, 0}});

void appendIntegersToOrderedSet(benchmark::State& state)
{
    const auto keys = QelBench::distinctIntegers(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        OrderedSet<std::int64_t> set;
        for (std::int64_t i = 0; i < state.range(0); ++i)
            set.append(keys[i]);
        benchmark::DoNotOptimize(set.count());
        // The index's bytes per element, with its two header words.
        state.counters["indexBytesPerElement"] =
            static_cast<double>((set._table()->wordCount() + 2) * 8) / static_cast<double>(set.count());
    }
}
BENCHMARK(appendIntegersToOrderedSet)->Arg(1000000)->Unit(benchmark::kMillisecond);

void insertIntegersIntoUnorderedSet(benchmark::State& state)
{
    const auto keys = QelBench::distinctIntegers(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::unordered_set<std::int64_t> set;
        for (std::int64_t i = 0; i < state.range(0); ++i)
            set.insert(keys[i]);
        benchmark::DoNotOptimize(set.size());
    }
}
BENCHMARK(insertIntegersIntoUnorderedSet)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Sets of 4 and 15 short strings, which search linearly; hits and misses alternate.
template <class Lookup>
void findShortStrings(benchmark::State& state, Lookup lookup)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    auto keys = QelBench::distinctStrings(count);
    for (auto& key : keys)
        key.resize(std::min<std::size_t>(key.size(), 10));
    const std::vector<std::string> members(keys.begin(), keys.begin() + count);
    const auto probes = QelBench::shuffled(keys);
    const auto found = lookup(members);
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(found(probes[next]));
        next = next + 1 == probes.size() ? 0 : next + 1;
    }
}

void findShortStringsInOrderedSet(benchmark::State& state)
{
    findShortStrings(state, [](const std::vector<std::string>& members) {
        return [set = OrderedSet<std::string>(members)](const std::string& key) { return set.contains(key); };
    });
}
void findShortStringsInUnorderedSet(benchmark::State& state)
{
    findShortStrings(state, [](const std::vector<std::string>& members) {
        return [set = std::unordered_set<std::string>(members.begin(), members.end())](const std::string& key) {
            return set.contains(key);
        };
    });
}
BENCHMARK(findShortStringsInOrderedSet)->Arg(4)->Arg(15);
BENCHMARK(findShortStringsInUnorderedSet)->Arg(4)->Arg(15);

} // namespace

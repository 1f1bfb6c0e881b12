// The ordered dictionary beside std::unordered_map: lookups that hit and miss
// by integer and string keys, inserting, walking the pairs, small objects of
// string keys without an index, and changing a large value in place.

#include "OrderedCollections/OrderedDictionary/OrderedDictionary.h"
#include "bench/OrderedCollections/BenchKeys.h"

#include <benchmark/benchmark.h>

#include <unordered_map>

namespace {

using OrderedCollections::OrderedDictionary;

template <class Key>
std::vector<Key> keysFor(std::size_t count)
{
    if constexpr (std::is_same_v<Key, std::string>)
        return QelBench::distinctStrings(count);
    else
        return QelBench::distinctIntegers(count);
}

template <class Key>
bool contains(const OrderedDictionary<Key, std::int64_t>& dictionary, const Key& key)
{
    return dictionary.find(key) != nullptr;
}
template <class Key>
bool contains(const std::unordered_map<Key, std::int64_t>& map, const Key& key)
{
    return map.find(key) != map.end();
}

// Arguments: key count, and 1 for lookups that hit, 0 for misses.
template <class Map, class Key>
void lookup(benchmark::State& state)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    const auto keys = keysFor<Key>(count);
    Map map;
    for (std::size_t i = 0; i < count; ++i)
        map.emplace(keys[i], static_cast<std::int64_t>(i));
    const std::size_t first = state.range(1) ? 0 : count;
    const auto probes = QelBench::shuffled(std::vector<Key>(keys.begin() + first, keys.begin() + first + count));
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(contains(map, probes[next]));
        next = next + 1 == count ? 0 : next + 1;
    }
}

// The ordered dictionary under the standard map's name for inserting.
template <class Key>
struct Ordered : OrderedDictionary<Key, std::int64_t> {
    void emplace(const Key& key, std::int64_t value) { this->set(key, value); }
};

const std::vector<std::vector<std::int64_t>> lookupArguments{{1000, 100000, 1000000}, {1, 0}};
BENCHMARK(lookup<Ordered<std::int64_t>, std::int64_t>)->ArgsProduct(lookupArguments);
BENCHMARK(lookup<std::unordered_map<std::int64_t, std::int64_t>, std::int64_t>)->ArgsProduct(lookupArguments);
BENCHMARK(lookup<Ordered<std::string>, std::string>)->ArgsProduct(lookupArguments);
BENCHMARK(lookup<std::unordered_map<std::string, std::int64_t>, std::string>)->ArgsProduct(lookupArguments);

// Argument: 1 to reserve room first.
void insertIntoOrderedDictionary(benchmark::State& state)
{
    const std::size_t count = 1000000;
    const auto keys = QelBench::distinctIntegers(count);
    for (auto _ : state) {
        OrderedDictionary<std::int64_t, std::int64_t> dictionary;
        if (state.range(0))
            dictionary.reserveCapacity(count);
        for (std::size_t i = 0; i < count; ++i)
            dictionary.set(keys[i], static_cast<std::int64_t>(i));
        benchmark::DoNotOptimize(dictionary.count());
    }
}
void insertIntoUnorderedMap(benchmark::State& state)
{
    const std::size_t count = 1000000;
    const auto keys = QelBench::distinctIntegers(count);
    for (auto _ : state) {
        std::unordered_map<std::int64_t, std::int64_t> map;
        if (state.range(0))
            map.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            map.insert_or_assign(keys[i], static_cast<std::int64_t>(i));
        benchmark::DoNotOptimize(map.size());
    }
}
BENCHMARK(insertIntoOrderedDictionary)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(insertIntoUnorderedMap)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

template <class Map>
void iterate(benchmark::State& state)
{
    const auto keys = QelBench::distinctIntegers(static_cast<std::size_t>(state.range(0)));
    Map map;
    for (std::int64_t i = 0; i < state.range(0); ++i)
        map.emplace(keys[i], i);
    for (auto _ : state) {
        std::int64_t sum = 0;
        for (const auto& [key, value] : map)
            sum += key ^ value;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(iterate<Ordered<std::int64_t>>)->Arg(100000);
BENCHMARK(iterate<std::unordered_map<std::int64_t, std::int64_t>>)->Arg(100000);

// Objects of 4 to 15 string keys, as a template's objects are; hits and misses alternate.
template <class Map>
void lookupInSmallObject(benchmark::State& state)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    auto keys = QelBench::distinctStrings(count);
    Map map;
    for (std::size_t i = 0; i < count; ++i)
        map.emplace(keys[i], static_cast<std::int64_t>(i));
    const auto probes = QelBench::shuffled(keys);
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(contains(map, probes[next]));
        next = next + 1 == probes.size() ? 0 : next + 1;
    }
}
BENCHMARK(lookupInSmallObject<Ordered<std::string>>)->Arg(4)->Arg(8)->Arg(15);
BENCHMARK(lookupInSmallObject<std::unordered_map<std::string, std::int64_t>>)->Arg(4)->Arg(8)->Arg(15);

// Argument: the value's buffer size. The time must not grow with it.
void modifyLargeValue(benchmark::State& state)
{
    OrderedDictionary<std::int64_t, std::vector<char>> dictionary;
    for (std::int64_t key = 0; key < 20; ++key)
        dictionary.set(key, std::vector<char>(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        dictionary.modify(7, [](std::optional<std::vector<char>>& value) { ++(*value)[0]; });
        dictionary.updateValue(
            9, [] { return std::vector<char>(); }, [](std::vector<char>& value) { ++value[1]; });
    }
}
BENCHMARK(modifyLargeValue)->Arg(1024)->Arg(1 << 20);

} // namespace

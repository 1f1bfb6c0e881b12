// Template value costs beside the standard containers they stand in for.
//  - BM_CopyArrayValue/10 and /10000: copying a value that holds an array
//    shares its storage, so both sizes take the same time.
//  - BM_ObjectMemberLookup against BM_StdUnorderedMapFind: finding one of ten
//    keys of an object value, and of a std::unordered_map<std::string, Value>;
//    BM_PropertyMemberLookup goes through the member lookup of templates
//    (`obj.key`), which first rules out the four object methods.
//  - BM_StringValueEquality against BM_StdStringEquality: two equal 1 KB
//    ASCII strings in separate storage.
#include "Jinja/Builtins/PropertyMembers.h"
#include "Jinja/Runtime/Value.h"

#include <benchmark/benchmark.h>

#include <string>
#include <unordered_map>

namespace QelBench {
namespace {

using Jinja::Value;

void BM_CopyArrayValue(benchmark::State& state)
{
    const Value array(Jinja::Array(static_cast<std::size_t>(state.range(0)), Value(1)));
    for (auto _ : state) {
        Value copy = array;
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_CopyArrayValue)->Arg(10)->Arg(10000);

std::string keyName(int index)
{
    return "member_" + std::to_string(index);
}

Value tenMemberObject()
{
    Value object = Value::object({});
    for (int index = 0; index < 10; ++index)
        object.setMember(keyName(index), Value(index));
    return object;
}

void BM_ObjectMemberLookup(benchmark::State& state)
{
    const Value object = tenMemberObject();
    const Jinja::String key(keyName(7));
    for (auto _ : state)
        benchmark::DoNotOptimize(object.asObject().find(key));
}
BENCHMARK(BM_ObjectMemberLookup);

void BM_PropertyMemberLookup(benchmark::State& state)
{
    const Value object = tenMemberObject();
    const Jinja::String key(keyName(7));
    for (auto _ : state)
        benchmark::DoNotOptimize(Jinja::PropertyMembers::evaluateObjectProperty(object, key));
}
BENCHMARK(BM_PropertyMemberLookup);

void BM_StdUnorderedMapFind(benchmark::State& state)
{
    std::unordered_map<std::string, Value> map;
    for (int index = 0; index < 10; ++index)
        map.emplace(keyName(index), Value(index));
    const std::string key = keyName(7);
    for (auto _ : state)
        benchmark::DoNotOptimize(map.find(key));
}
BENCHMARK(BM_StdUnorderedMapFind);

std::string kilobyteText(char last)
{
    std::string text;
    for (int index = 0; text.size() < 1023; ++index)
        text += static_cast<char>('a' + index % 26);
    return text + last;
}

void BM_StringValueEquality(benchmark::State& state)
{
    const Value first(kilobyteText('!'));
    const Value second(kilobyteText('!'));
    for (auto _ : state)
        benchmark::DoNotOptimize(first == second);
}
BENCHMARK(BM_StringValueEquality);

void BM_StdStringEquality(benchmark::State& state)
{
    const std::string first = kilobyteText('!');
    const std::string second = kilobyteText('!');
    for (auto _ : state)
        benchmark::DoNotOptimize(first == second);
}
BENCHMARK(BM_StdStringEquality);

} // namespace
} // namespace QelBench

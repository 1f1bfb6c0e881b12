#include "Platform/CoreML/Kinds/CrossAttentionStore.h"

#include <gtest/gtest.h>

using namespace Platform::CoreML;

namespace {

// A computation that fills the cache with `value`, noting where its keys live.
struct Fill {
    Platform::ML::Float16 value;
    const Platform::ML::Float16* keys = nullptr;

    void operator()(CrossAttentionStore::Cache& cache)
    {
        cache.keys.assign(1000, value);
        cache.values.assign(1000, value);
        keys = cache.keys.data();
    }
};

} // namespace

// A new version of an array, or a new array in a full store, takes over the
// memory of the entry it replaces, but never while a step still reads it.
TEST(CrossAttentionStore, ReusesTheMemoryOfADroppedEntryNobodyReads)
{
    CrossAttentionStore store(1);
    MLMultiArray audio({1}, MLMultiArrayDataType::float16);
    Fill first{Platform::ML::Float16(1.0f)};
    store.find(audio, std::ref(first));

    audio.mutableBytes();
    Fill second{Platform::ML::Float16(2.0f)};
    const auto held = store.find(audio, std::ref(second));
    EXPECT_EQ(second.keys, first.keys);

    const MLMultiArray other({1}, MLMultiArrayDataType::float16);
    Fill third{Platform::ML::Float16(3.0f)};
    store.find(other, std::ref(third));
    EXPECT_NE(third.keys, second.keys);
    EXPECT_EQ(held->keys.data(), second.keys);
    EXPECT_EQ(static_cast<float>(held->keys.front()), 2.0f);
}

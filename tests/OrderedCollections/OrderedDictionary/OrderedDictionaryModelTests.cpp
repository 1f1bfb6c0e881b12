// Random keyed and positional operations against a vector of pairs and a hash
// map of positions: after every step both agree and every key finds its own
// value, once with the real hash and once with one that collides.

#include "OrderedCollections/OrderedDictionary/OrderedDictionary.h"
#include "OrderedCollections/TestElements.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <unordered_map>
#include <vector>

namespace {

using OrderedCollections::OffsetRange;
using OrderedCollections::OrderedDictionary;

struct Plain {
    using Key = std::int64_t;
    static Key make(std::int64_t value) { return value; }
    static std::int64_t valueOf(Key key) { return key; }
};
struct Collide {
    using Key = OrderedCollectionsTests::Colliding;
    static Key make(std::int64_t value) { return {value}; }
    static std::int64_t valueOf(const Key& key) { return key.value; }
};

template <class Keys>
class OrderedDictionaryModel : public testing::Test {
};
using KeyKinds = testing::Types<Plain, Collide>;
TYPED_TEST_SUITE(OrderedDictionaryModel, KeyKinds);

TYPED_TEST(OrderedDictionaryModel, RandomOperationsAgreeWithAVectorOfPairs)
{
    using Key = typename TypeParam::Key;
    for (const unsigned seed : {11u, 12u, 13u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        const auto draw = [&](std::int64_t bound) {
            return std::uniform_int_distribution<std::int64_t>(0, bound - 1)(random);
        };
        OrderedDictionary<Key, std::int64_t> dictionary;
        std::vector<std::pair<std::int64_t, std::int64_t>> model;
        const auto position = [&](std::int64_t key) -> std::optional<std::ptrdiff_t> {
            const auto found = std::ranges::find(model, key, &std::pair<std::int64_t, std::int64_t>::first);
            return found == model.end() ? std::nullopt : std::optional<std::ptrdiff_t>(found - model.begin());
        };
        for (int step = 0; step < 1200; ++step) {
            const std::int64_t key = draw(300), value = draw(1000);
            const auto count = static_cast<std::int64_t>(model.size());
            const auto at = position(key);
            switch (draw(step < 600 ? 8 : 11)) {
            case 0:
            case 1:
                dictionary.set(TypeParam::make(key), value);
                if (at)
                    model[*at].second = value;
                else
                    model.emplace_back(key, value);
                break;
            case 2: {
                const std::ptrdiff_t offset = draw(count + 1);
                const auto result = dictionary.updateValue(value, TypeParam::make(key), offset);
                EXPECT_EQ(result.index, at.value_or(offset));
                if (at)
                    model[*at].second = value;
                else
                    model.insert(model.begin() + offset, {key, value});
                break;
            }
            case 3:
                dictionary.modify(TypeParam::make(key), [&](std::optional<std::int64_t>& lent) {
                    lent = value % 3 ? std::optional<std::int64_t>(value) : std::nullopt;
                });
                if (value % 3 && at)
                    model[*at].second = value;
                else if (value % 3)
                    model.emplace_back(key, value);
                else if (at)
                    model.erase(model.begin() + *at);
                break;
            case 4:
                if (count > 1) {
                    const auto i = draw(count), j = draw(count);
                    dictionary.swapAt(i, j);
                    std::swap(model[i], model[j]);
                }
                break;
            case 5:
                if (step % 40 == 0) {
                    dictionary.reverse();
                    std::ranges::reverse(model);
                }
                break;
            case 6: dictionary.reserveCapacity(draw(120)); break;
            case 7:
            case 8:
                EXPECT_EQ(dictionary.removeValue(TypeParam::make(key)).has_value(), at.has_value());
                if (at)
                    model.erase(model.begin() + *at);
                break;
            case 9:
                if (count > 0) {
                    const auto i = draw(count);
                    EXPECT_EQ(dictionary.remove(i).value, model[i].second);
                    model.erase(model.begin() + i);
                }
                break;
            default: {
                const auto lower = draw(count + 1);
                const auto upper = lower + draw(std::min<std::int64_t>(count - lower, 6) + 1);
                dictionary.removeSubrange(OffsetRange{lower, upper});
                model.erase(model.begin() + lower, model.begin() + upper);
            }
            }
            ASSERT_EQ(dictionary.count(), static_cast<std::ptrdiff_t>(model.size())) << "step " << step;
            for (std::size_t i = 0; i < model.size(); ++i) {
                const auto pair = dictionary.elements()[static_cast<std::ptrdiff_t>(i)];
                ASSERT_EQ(TypeParam::valueOf(pair.key), model[i].first) << "step " << step;
                ASSERT_EQ(pair.value, model[i].second) << "step " << step;
                ASSERT_EQ(dictionary.indexForKey(pair.key), static_cast<std::ptrdiff_t>(i)) << "step " << step;
            }
        }
    }
}

} // namespace

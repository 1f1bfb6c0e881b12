// Random operation sequences against a plain vector and a hash map of
// positions: after every step the contents agree and every element is found
// at its position, once with the real hash and once with one that collides.

#include "OrderedCollections/OrderedSet/OrderedSet.h"
#include "OrderedCollections/TestElements.h"

#include <gtest/gtest.h>

#include <random>
#include <unordered_map>
#include <vector>

namespace {

using OrderedCollections::OrderedSet;

template <class Element>
class OrderedSetModel : public testing::Test {
};

struct Plain {
    static std::int64_t make(std::int64_t value) { return value; }
    static std::int64_t valueOf(std::int64_t element) { return element; }
    using Element = std::int64_t;
};
struct Collide {
    static OrderedCollectionsTests::Colliding make(std::int64_t value) { return {value}; }
    static std::int64_t valueOf(const OrderedCollectionsTests::Colliding& element) { return element.value; }
    using Element = OrderedCollectionsTests::Colliding;
};
using Hashes = testing::Types<Plain, Collide>;
TYPED_TEST_SUITE(OrderedSetModel, Hashes);

TYPED_TEST(OrderedSetModel, RandomOperationsKeepTheIndexInStep)
{
    using Element = typename TypeParam::Element;
    for (const unsigned seed : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        const auto draw = [&](std::int64_t bound) {
            return std::uniform_int_distribution<std::int64_t>(0, bound - 1)(random);
        };
        OrderedSet<Element> set;
        std::vector<std::int64_t> model;
        std::unordered_map<std::int64_t, std::ptrdiff_t> positions;
        const auto reindex = [&] {
            positions.clear();
            for (std::size_t i = 0; i < model.size(); ++i)
                positions[model[i]] = static_cast<std::ptrdiff_t>(i);
        };
        // Grows to about 120 elements, then shrinks, crossing every scale change twice.
        for (int step = 0; step < 1500; ++step) {
            const bool growing = step < 700;
            const std::int64_t value = draw(400);
            const auto operation = draw(growing ? 6 : 9);
            const auto count = static_cast<std::int64_t>(model.size());
            if (operation <= 1) {
                const auto result = set.append(TypeParam::make(value));
                EXPECT_EQ(result.inserted, !positions.contains(value));
                if (result.inserted)
                    model.push_back(value);
            } else if (operation == 2) {
                const std::ptrdiff_t at = draw(count + 1);
                const auto result = set.insert(TypeParam::make(value), at);
                if (result.inserted)
                    model.insert(model.begin() + at, value);
                else
                    EXPECT_EQ(result.index, positions[value]);
            } else if (operation == 3 && count > 0) {
                const std::ptrdiff_t at = draw(count);
                set.update(TypeParam::make(model[at]), at);
            } else if (operation == 4) {
                set.reserveCapacity(draw(150));
            } else if (operation == 5 && step % 50 == 0) {
                const auto modulus = draw(5) + 2;
                set = set.filter([&](const Element& e) { return TypeParam::valueOf(e) % modulus != 0; });
                std::erase_if(model, [&](std::int64_t v) { return v % modulus == 0; });
            } else if (operation >= 5 && count > 0) {
                const std::ptrdiff_t at = draw(count);
                EXPECT_EQ(TypeParam::valueOf(set._removeExistingMember(at, set._bucket(at))), model[at]);
                model.erase(model.begin() + at);
            }
            reindex();
            ASSERT_EQ(set.count(), static_cast<std::ptrdiff_t>(model.size())) << "step " << step;
            for (std::size_t i = 0; i < model.size(); ++i) {
                ASSERT_EQ(TypeParam::valueOf(set[i]), model[i]) << "step " << step;
                ASSERT_EQ(set._find(set[i]).index, static_cast<std::ptrdiff_t>(i)) << "step " << step;
            }
            ASSERT_EQ(set._find(TypeParam::make(-1)).index, std::nullopt);
        }
    }
}

} // namespace

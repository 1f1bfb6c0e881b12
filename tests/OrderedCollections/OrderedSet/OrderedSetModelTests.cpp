// Random operation sequences against a plain vector and a hash map of
// positions: after every step the contents agree and every element is found
// at its position, once with the real hash and once with one that collides.
// Reordering, removal and the set algebra run beside insertion.

#include "OrderedCollections/OrderedSet/OrderedSet.h"
#include "OrderedCollections/TestElements.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
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

// Reorders set and model alike: swapAt, partition, sort, reverse or a seeded shuffle.
template <class TypeParam, class Draw>
void reorder(OrderedSet<typename TypeParam::Element>& set, std::vector<std::int64_t>& model, Draw& draw,
             std::mt19937& random)
{
    using Element = typename TypeParam::Element;
    const auto count = static_cast<std::int64_t>(model.size());
    const auto valueOf = [](const Element& e) { return TypeParam::valueOf(e); };
    switch (draw(5)) {
    case 0:
        if (count > 0) {
            const auto i = draw(count), j = draw(count);
            set.swapAt(i, j);
            std::swap(model[i], model[j]);
        }
        break;
    case 1: {
        const auto modulus = draw(3) + 2;
        const auto pivot = set.partition([&](const Element& e) { return valueOf(e) % modulus == 0; });
        EXPECT_EQ(pivot, std::ranges::count_if(model, [&](std::int64_t v) { return v % modulus != 0; }));
        model.assign(set.elements().size(), 0);
        std::ranges::transform(set, model.begin(), valueOf);
        EXPECT_TRUE(std::ranges::is_partitioned(model, [&](std::int64_t v) { return v % modulus != 0; }));
        break;
    }
    case 2:
        set.sort([&](const Element& a, const Element& b) { return valueOf(a) < valueOf(b); });
        std::ranges::sort(model);
        break;
    case 3:
        set.reverse();
        std::ranges::reverse(model);
        break;
    default: {
        const auto seed = random();
        std::mt19937_64 forSet(seed), forModel(seed);
        set.shuffle(forSet);
        auto order = OrderedCollections::detail::shuffledPositions(count, forModel);
        std::vector<std::int64_t> shuffled;
        for (const auto position : order)
            shuffled.push_back(model[position]);
        model = shuffled;
    }
    }
}

// One of the removals, on set and model alike.
template <class TypeParam, class Draw>
void remove(OrderedSet<typename TypeParam::Element>& set, std::vector<std::int64_t>& model, Draw& draw)
{
    using Element = typename TypeParam::Element;
    const auto count = static_cast<std::int64_t>(model.size());
    const auto at = draw(count);
    switch (draw(8)) {
    case 0:
        EXPECT_EQ(TypeParam::valueOf(set.remove(at)), model[at]);
        model.erase(model.begin() + at);
        break;
    case 1: {
        const auto upper = at + draw(std::min<std::int64_t>(count - at, 12) + 1);
        set.removeSubrange(at, upper);
        model.erase(model.begin() + at, model.begin() + upper);
        break;
    }
    case 2: {
        const auto k = draw(std::min<std::int64_t>(count, 5) + 1);
        set.removeFirst(k);
        model.erase(model.begin(), model.begin() + k);
        break;
    }
    case 3: {
        const auto k = draw(std::min<std::int64_t>(count, 5) + 1);
        set.removeLast(k);
        model.resize(model.size() - k);
        break;
    }
    case 4:
        EXPECT_EQ(TypeParam::valueOf(set.removeFirst()), model.front());
        model.erase(model.begin());
        break;
    case 5:
        EXPECT_EQ(TypeParam::valueOf(set.removeLast()), model.back());
        model.pop_back();
        break;
    case 6: {
        const auto modulus = draw(6) + 5;
        set.removeAll([&](const Element& e) { return TypeParam::valueOf(e) % modulus == 0; });
        std::erase_if(model, [&](std::int64_t v) { return v % modulus == 0; });
        break;
    }
    default:
        if (draw(20) == 0) {
            const bool keep = draw(2) == 0;
            set.removeAll(keep);
            model.clear();
        } else {
            EXPECT_EQ(TypeParam::valueOf(*set.removeMember(TypeParam::make(model[at]))), model[at]);
            model.erase(model.begin() + at);
        }
    }
}

// Compares every operation of the set algebra with the operand, given as a
// range with repeats or as an ordered set, with results computed from
// std::set; then applies one in-place form (by `mutation`; intersecting, the rarest,
// shrinks the set most) to set and model.
template <class TypeParam>
void checkAlgebra(OrderedSet<typename TypeParam::Element>& set, std::vector<std::int64_t>& model,
                  const std::vector<std::int64_t>& operand, std::int64_t mutation)
{
    using Element = typename TypeParam::Element;
    std::vector<Element> range;
    for (const auto x : operand)
        range.push_back(TypeParam::make(x));
    const OrderedSet<Element> ordered(range);
    const std::set<std::int64_t> mine(model.begin(), model.end()), theirs(operand.begin(), operand.end());
    const auto valuesOf = [](const OrderedSet<Element>& result) {
        std::vector<std::int64_t> values;
        for (const auto& e : result)
            values.push_back(TypeParam::valueOf(e));
        return values;
    };
    std::vector<std::int64_t> onlyTheirs;
    for (const auto x : operand)
        if (!mine.contains(x) && std::ranges::find(onlyTheirs, x) == onlyTheirs.end())
            onlyTheirs.push_back(x);
    std::vector<std::int64_t> common, onlyMine;
    for (const auto x : model)
        (theirs.contains(x) ? common : onlyMine).push_back(x);
    auto united = model, symmetric = onlyMine;
    united.insert(united.end(), onlyTheirs.begin(), onlyTheirs.end());
    symmetric.insert(symmetric.end(), onlyTheirs.begin(), onlyTheirs.end());

    const bool subset = std::ranges::includes(theirs, mine), superset = std::ranges::includes(mine, theirs);
    const auto check = [&](const auto& other) {
        EXPECT_EQ(valuesOf(set.union_(other)), united);
        EXPECT_EQ(valuesOf(set.intersection(other)), common);
        EXPECT_EQ(valuesOf(set.subtracting(other)), onlyMine);
        EXPECT_EQ(valuesOf(set.symmetricDifference(other)), symmetric);
        EXPECT_EQ(set.isSubset(other), subset);
        EXPECT_EQ(set.isSuperset(other), superset);
        EXPECT_EQ(set.isStrictSubset(other), subset && mine.size() < theirs.size());
        EXPECT_EQ(set.isStrictSuperset(other), superset && theirs.size() < mine.size());
        EXPECT_EQ(set.isDisjoint(other), common.empty());
        EXPECT_EQ(set.isEqualSet(other), mine == theirs);
    };
    check(range);
    check(ordered);
    switch (mutation) {
    case 0:
        set.formUnion(range);
        model = united;
        break;
    case 1:
        set.formSymmetricDifference(ordered);
        model = symmetric;
        break;
    case 2:
        set.subtract(ordered);
        model = onlyMine;
        break;
    case 3:
        set.formIntersection(range);
        model = common;
        break;
    default: break;
    }
}

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
        std::ptrdiff_t maximum = 0;
        const auto reindex = [&] {
            positions.clear();
            for (std::size_t i = 0; i < model.size(); ++i)
                positions[model[i]] = static_cast<std::ptrdiff_t>(i);
        };
        // Grows to 150 or more elements, then shrinks, crossing every scale change twice.
        for (int step = 0; step < 1500; ++step) {
            const bool growing = step < 700;
            const std::int64_t value = draw(400);
            const auto operation = draw(growing ? 8 : 12);
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
            } else if (operation == 6) {
                reorder<TypeParam>(set, model, draw, random);
            } else if (operation == 7) {
                std::vector<std::int64_t> operand(static_cast<std::size_t>(draw(20)));
                for (auto& x : operand)
                    x = draw(2) == 0 && count > 0 ? model[draw(count)] : draw(400);
                checkAlgebra<TypeParam>(set, model, operand, growing ? draw(2) : draw(8));
            } else if (operation >= 8 && count > 0) {
                remove<TypeParam>(set, model, draw);
            }
            reindex();
            ASSERT_EQ(set.count(), static_cast<std::ptrdiff_t>(model.size())) << "step " << step;
            for (std::size_t i = 0; i < model.size(); ++i) {
                ASSERT_EQ(TypeParam::valueOf(set[i]), model[i]) << "step " << step;
                ASSERT_EQ(set._find(set[i]).index, static_cast<std::ptrdiff_t>(i)) << "step " << step;
            }
            ASSERT_EQ(set._find(TypeParam::make(-1)).index, std::nullopt);
            maximum = std::max(maximum, set.count());
        }
        // The walk is meant to reach a scale-8 index and shrink back from it.
        EXPECT_GT(maximum, 96);
    }
}

} // namespace

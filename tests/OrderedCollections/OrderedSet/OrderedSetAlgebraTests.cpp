#include "OrderedCollections/OrderedSet/NumberedSet.h"
#include "OrderedCollections/OrderedSet/OrderedSet.h"

#include <gtest/gtest.h>

#include <map>
#include <ranges>
#include <set>
#include <unordered_set>
#include <vector>

namespace {

using OrderedCollections::OffsetRange;
using OrderedCollections::OrderedSet;

const OrderedSet<int> a{1, 2, 3};
const OrderedSet<int> b{3, 1};

// The range the operation reads, and how many of its elements it took.
template <class Operation>
int readsBy(std::vector<int> elements, Operation&& operation)
{
    int reads = 0;
    auto counted = std::views::transform(elements, [&](int x) {
        ++reads;
        return x;
    });
    operation(counted);
    return reads;
}

TEST(OrderedSetAlgebra, UnionKeepsThisOrderThenTheOperandsNewElements)
{
    EXPECT_EQ(a.union_(b), a);
    EXPECT_EQ(b.union_(a), (OrderedSet<int>{3, 1, 2}));
    EXPECT_EQ(a.union_(std::vector{5, 4, 5, 1}), (OrderedSet<int>{1, 2, 3, 5, 4}));
    EXPECT_EQ(a.union_(b.unordered()), a);
    auto c = b;
    c.formUnion(std::vector{2});
    EXPECT_EQ(c, (OrderedSet<int>{3, 1, 2}));
}

TEST(OrderedSetAlgebra, IntersectionKeepsThisOrder)
{
    EXPECT_EQ(a.intersection(b), (OrderedSet<int>{1, 3}));
    EXPECT_EQ(b.intersection(a), b);
    EXPECT_EQ(a.intersection(std::vector{3, 3, 1, 9}), (OrderedSet<int>{1, 3}));
    EXPECT_EQ(a.intersection(std::unordered_set<int>{2, 7}), (OrderedSet<int>{2}));
    EXPECT_EQ(a.intersection(std::vector<int>{}), OrderedSet<int>());

    const auto large = OrderedCollectionsTests::setOf(100);
    const auto evens =
        large.intersection(std::views::iota(0, 200) | std::views::filter([](int x) { return x % 2 == 0; }));
    EXPECT_EQ(evens.count(), 50);
    OrderedCollectionsTests::expectEveryElementFound(evens);
}

TEST(OrderedSetAlgebra, SubtractionStopsReadingWhenNothingIsLeft)
{
    EXPECT_EQ(a.subtracting(b), (OrderedSet<int>{2}));
    const auto large = OrderedCollectionsTests::setOf(40);
    const auto same = large.subtracting(std::vector{-1});
    EXPECT_EQ(same, large);
    EXPECT_EQ(same._table()->seed(), large._table()->seed());
    EXPECT_TRUE(std::ranges::equal(same._table()->words(), large._table()->words()));

    EXPECT_EQ(readsBy({1, 2, 3, 4, 5}, [](auto& range) { EXPECT_TRUE(a.subtracting(range).isEmpty()); }), 3);
    auto c = a;
    c.subtract(std::set<int>{2});
    EXPECT_EQ(c, (OrderedSet<int>{1, 3}));
}

TEST(OrderedSetAlgebra, SymmetricDifferenceAppendsTheOperandsNewElements)
{
    const OrderedSet<int> other{3, 4, 1, 5};
    EXPECT_EQ(a.symmetricDifference(other), (OrderedSet<int>{2, 4, 5}));
    EXPECT_EQ(a.symmetricDifference(other.unordered()), (OrderedSet<int>{2, 4, 5}));
    EXPECT_EQ(a.symmetricDifference(std::vector{4, 4, 2}), (OrderedSet<int>{1, 3, 4}));
    EXPECT_EQ(a.symmetricDifference(a), OrderedSet<int>());

    // Across the index's threshold on both sides.
    const auto low = OrderedCollectionsTests::setOf(30), high = OrderedCollectionsTests::setOf(30, 20);
    const auto both = low.symmetricDifference(high);
    EXPECT_EQ(both.count(), 40);
    EXPECT_EQ(both[20], 30);
    OrderedCollectionsTests::expectEveryElementFound(both);
}

// Each relation, with ranges that repeat elements and with set operands; the
// forms must agree.
TEST(OrderedSetAlgebra, RelationsIgnoreOrderAndRepeats)
{
    struct Case {
        std::vector<int> operand;
        bool subset, strictSubset, superset, strictSuperset, disjoint, equal;
    };
    const Case cases[] = {
        {{3, 2, 1, 9}, true, true, false, false, false, false},
        {{3, 3, 9}, false, false, false, false, false, false},
        {{1, 2, 3, 1}, true, false, true, false, false, true},
        {{4, 1, 2, 3}, true, true, false, false, false, false},
        {{1, 1, 2}, false, false, true, true, false, false},
        {{1, 4}, false, false, false, false, false, false},
        {{}, false, false, true, true, true, false},
        {{4, 5}, false, false, false, false, true, false},
        {{3, 1, 2, 2}, true, false, true, false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.operand));
        const std::unordered_set<int> hashed(c.operand.begin(), c.operand.end());
        const OrderedSet<int> ordered(c.operand);
        std::map<int, char> keyed;
        for (int x : c.operand)
            keyed[x] = 'x';
        const auto check = [&](const auto& operand) {
            EXPECT_EQ(a.isSubset(operand), c.subset);
            EXPECT_EQ(a.isStrictSubset(operand), c.strictSubset);
            EXPECT_EQ(a.isSuperset(operand), c.superset);
            EXPECT_EQ(a.isStrictSuperset(operand), c.strictSuperset);
            EXPECT_EQ(a.isDisjoint(operand), c.disjoint);
            EXPECT_EQ(a.isEqualSet(operand), c.equal);
        };
        check(c.operand);
        check(hashed);
        check(ordered);
        check(ordered.unordered());
        check(std::views::keys(keyed));
    }

    const OrderedSet<int> empty;
    EXPECT_TRUE(empty.isStrictSubset(std::vector{7}));
    EXPECT_FALSE(empty.isStrictSubset(std::vector<int>{}));
    EXPECT_FALSE(empty.isStrictSuperset(std::vector<int>{}));
    EXPECT_TRUE(empty.isEqualSet(std::vector<int>{}));
    EXPECT_FALSE(empty.isEqualSet(std::vector{1}));
    EXPECT_TRUE(empty.isSubset(std::vector<int>{}));
    EXPECT_TRUE((OrderedSet<int>{3, 2, 1}).isEqualSet(a));
}

TEST(OrderedSetAlgebra, RangesAreReadOnlyAsFarAsTheAnswerNeeds)
{
    EXPECT_EQ(readsBy({3, 2, 1, 9}, [](auto& range) { EXPECT_TRUE(a.isSubset(range)); }), 3);
    EXPECT_EQ(readsBy({1, 2, 3, 4, 5}, [](auto& range) { EXPECT_TRUE(a.isStrictSubset(range)); }), 4);
    EXPECT_EQ(readsBy({1, 9, 2, 3}, [](auto& range) { EXPECT_FALSE(a.isStrictSuperset(range)); }), 2);
    EXPECT_EQ(readsBy({9, 2, 5}, [](auto& range) { EXPECT_FALSE(a.isDisjoint(range)); }), 2);
    EXPECT_EQ(readsBy({7, 8}, [](auto& range) { EXPECT_FALSE(OrderedSet<int>().isEqualSet(range)); }), 1);
}

TEST(OrderedSetAlgebra, MembershipAnswersOnlyForSets)
{
    using OrderedCollections::fastContains;
    EXPECT_EQ(fastContains(std::vector{1, 2}, 2), std::nullopt);
    EXPECT_EQ(fastContains(std::set<int>{1, 2}, 3), false);
    EXPECT_EQ(fastContains(a, 2), true);
    EXPECT_EQ(fastContains(a[OffsetRange{0, 1}], 2), false);
    const std::map<int, int> map{{4, 0}};
    EXPECT_EQ(fastContains(std::views::keys(map), 4), true);

    auto c = a;
    EXPECT_EQ(c.removeMember(2), 2);
    EXPECT_EQ(c, (OrderedSet<int>{1, 3}));
    EXPECT_EQ(c.removeMember(7), std::nullopt);
}

} // namespace

#include "OrderedCollections/OrderedSet/OrderedSet.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <unordered_set>

namespace {

using OrderedCollections::OrderedSet;
using View = OrderedSet<int>::UnorderedView;

// Equal by value alone, so the stored copy can be told apart by its tag.
struct Tagged {
    int value;
    char tag;
    friend bool operator==(const Tagged& a, const Tagged& b) { return a.value == b.value; }
    friend std::int64_t seededHash(const Tagged& element, std::int64_t seed)
    {
        return OrderedCollections::seededHash(std::int64_t{element.value}, seed);
    }
};

TEST(OrderedSetUnorderedView, EqualityAndHashingIgnoreOrder)
{
    const View forward{1, 2, 3}, backward{3, 1, 2};
    EXPECT_EQ(forward, backward);
    EXPECT_EQ(OrderedCollections::hashValue(forward), OrderedCollections::hashValue(backward));
    EXPECT_EQ(seededHash(forward, 9), seededHash(backward, 9));
    EXPECT_NE(seededHash(forward, 9), seededHash(forward, 10));
    EXPECT_NE(forward, (View{1, 2}));
    EXPECT_NE(OrderedCollections::hashValue(forward), OrderedCollections::hashValue(View{1, 2}));
    EXPECT_EQ(std::unordered_set<View>({forward, backward}).size(), 1u);
    EXPECT_EQ(backward.description(), "[3, 1, 2]");
}

TEST(OrderedSetUnorderedView, InsertionAppendsAndUpdatesReplaceInPlace)
{
    View view{1, 2, 3};
    EXPECT_EQ(view.insert(4), (View::InsertResult{true, 4}));
    EXPECT_EQ(view.insert(2), (View::InsertResult{false, 2}));
    EXPECT_EQ(view.base(), (OrderedSet<int>{1, 2, 3, 4}));
    EXPECT_EQ(view.remove(1), 1);
    EXPECT_EQ(view.remove(1), std::nullopt);

    OrderedSet<Tagged>::UnorderedView tagged{{1, 'a'}, {2, 'a'}};
    EXPECT_EQ(tagged.insert({2, 'b'}).memberAfterInsert.tag, 'a');
    EXPECT_EQ(tagged.update({2, 'c'})->tag, 'a');
    EXPECT_EQ(tagged.base()[1].tag, 'c');
    EXPECT_EQ(tagged.update({5, 'c'}), std::nullopt);
    EXPECT_EQ(tagged.count(), 3);
}

TEST(OrderedSetUnorderedView, AlgebraFollowsTheOrderedSet)
{
    const View a{1, 2, 3};
    EXPECT_EQ(a.union_(View{5, 1}).base(), (OrderedSet<int>{1, 2, 3, 5}));
    EXPECT_EQ(a.intersection(std::vector{3, 1}).base(), (OrderedSet<int>{1, 3}));
    EXPECT_EQ(a.symmetricDifference(View{3, 4}).base(), (OrderedSet<int>{1, 2, 4}));
    EXPECT_TRUE(a.isEqualSet(View{3, 2, 1}));
    EXPECT_TRUE(a.isStrictSubset(std::unordered_set<int>{1, 2, 3, 4}));
    auto b = a;
    b.subtract(std::vector{2});
    EXPECT_EQ(b.base(), (OrderedSet<int>{1, 3}));
}

TEST(OrderedSetUnorderedView, LendingTheSetMovesItBackAlsoOnThrow)
{
    OrderedSet<int> set{1, 2, 3};
    const int* storage = &set[0];
    set.withUnordered([&](View& view) {
        EXPECT_TRUE(set.isEmpty());
        EXPECT_EQ(&*view.begin(), storage);
        view.insert(4);
    });
    EXPECT_EQ(set, (OrderedSet<int>{1, 2, 3, 4}));
    EXPECT_THROW(set.withUnordered([](View& view) {
        view.remove(1);
        throw std::runtime_error("change");
    }),
                 std::runtime_error);
    EXPECT_EQ(set, (OrderedSet<int>{2, 3, 4}));
    EXPECT_EQ(set.unordered(), (View{4, 3, 2}));
}

} // namespace

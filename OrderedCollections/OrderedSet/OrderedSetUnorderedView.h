#pragma once

// An ordered set seen as a plain set: equality and hashing ignore the order,
// while the elements keep it underneath. The view holds its set by value.

#include "InternalCollectionsUtilities/Descriptions.h"
#include "InternalCollectionsUtilities/ScopeExit.h"
#include "OrderedCollections/OrderedSet/OrderedSet.h"

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

namespace OrderedCollections {

template <class Element>
class OrderedSetUnorderedView {
public:
    using value_type = Element;
    using const_iterator = typename OrderedSet<Element>::const_iterator;

    // Whether the element went in, and the stored element equal to it.
    struct InsertResult {
        bool inserted;
        Element memberAfterInsert;
        friend bool operator==(const InsertResult&, const InsertResult&) = default;
    };

    OrderedSetUnorderedView() = default;
    explicit OrderedSetUnorderedView(OrderedSet<Element> base) : base_(std::move(base)) {}
    OrderedSetUnorderedView(std::initializer_list<Element> literal) : base_(literal) {}
    // First occurrences, in order.
    template <ElementRange<Element> Range>
    requires(!std::same_as<std::remove_cvref_t<Range>, OrderedSetUnorderedView> &&
             !std::same_as<std::remove_cvref_t<Range>,
                           OrderedSet<Element>>) explicit OrderedSetUnorderedView(Range&& elements)
        : base_(std::forward<Range>(elements))
    {
    }

    const OrderedSet<Element>& base() const& { return base_; }
    OrderedSet<Element> base() && { return std::move(base_); }

    std::ptrdiff_t count() const { return base_.count(); }
    std::size_t size() const { return base_.size(); }
    bool isEmpty() const { return base_.isEmpty(); }
    const_iterator begin() const { return base_.begin(); }
    const_iterator end() const { return base_.end(); }
    bool contains(const Element& item) const { return base_.contains(item); }

    // An absent element goes at the end.
    InsertResult insert(Element item)
    {
        const auto result = base_.append(std::move(item));
        return {result.inserted, base_[result.index]};
    }
    // A present element is replaced where it stands and returned.
    std::optional<Element> update(Element item) { return base_.updateOrAppend(std::move(item)); }
    std::optional<Element> remove(const Element& item) { return base_.removeMember(item); }

    // The set operations of the ordered set, on its order.
    template <ElementRange<Element> Other>
    OrderedSetUnorderedView union_(Other&& other) const
    {
        return OrderedSetUnorderedView(base_.union_(std::forward<Other>(other)));
    }
    template <ElementRange<Element> Other>
    OrderedSetUnorderedView intersection(Other&& other) const
    {
        return OrderedSetUnorderedView(base_.intersection(std::forward<Other>(other)));
    }
    template <ElementRange<Element> Other>
    OrderedSetUnorderedView subtracting(Other&& other) const
    {
        return OrderedSetUnorderedView(base_.subtracting(std::forward<Other>(other)));
    }
    template <ElementRange<Element> Other>
    OrderedSetUnorderedView symmetricDifference(Other&& other) const
    {
        return OrderedSetUnorderedView(base_.symmetricDifference(std::forward<Other>(other)));
    }
    template <ElementRange<Element> Other>
    void formUnion(Other&& other)
    {
        base_.formUnion(std::forward<Other>(other));
    }
    template <ElementRange<Element> Other>
    void formIntersection(Other&& other)
    {
        base_.formIntersection(std::forward<Other>(other));
    }
    template <ElementRange<Element> Other>
    void subtract(Other&& other)
    {
        base_.subtract(std::forward<Other>(other));
    }
    template <ElementRange<Element> Other>
    void formSymmetricDifference(Other&& other)
    {
        base_.formSymmetricDifference(std::forward<Other>(other));
    }

    template <ElementRange<Element> Other>
    bool isSubset(Other&& other) const
    {
        return base_.isSubset(std::forward<Other>(other));
    }
    template <ElementRange<Element> Other>
    bool isSuperset(Other&& other) const
    {
        return base_.isSuperset(std::forward<Other>(other));
    }
    template <ElementRange<Element> Other>
    bool isStrictSubset(Other&& other) const
    {
        return base_.isStrictSubset(std::forward<Other>(other));
    }
    template <ElementRange<Element> Other>
    bool isStrictSuperset(Other&& other) const
    {
        return base_.isStrictSuperset(std::forward<Other>(other));
    }
    template <ElementRange<Element> Other>
    bool isDisjoint(Other&& other) const
    {
        return base_.isDisjoint(std::forward<Other>(other));
    }
    template <ElementRange<Element> Other>
    bool isEqualSet(Other&& other) const
    {
        return base_.isEqualSet(std::forward<Other>(other));
    }

    friend bool operator==(const OrderedSetUnorderedView& a, const OrderedSetUnorderedView& b)
    {
        return a.count() == b.count() && std::ranges::all_of(a, [&](const Element& item) { return b.contains(item); });
    }

    // Order-free: the elements' hashes under a seed drawn from the caller's
    // seed, combined by XOR, so any order of the same elements hashes alike.
    friend std::int64_t seededHash(const OrderedSetUnorderedView& view, std::int64_t seed)
    {
        const std::int64_t elementSeed = Hasher(seed).finalize();
        std::int64_t combined = 0;
        for (const Element& item : view)
            combined ^= seededHash(item, elementSeed);
        Hasher hasher(seed);
        hasher.combine(combined);
        return hasher.finalize();
    }

    std::string description() const { return base_.description(); }
    friend std::ostream& operator<<(std::ostream& out, const OrderedSetUnorderedView& view)
    {
        return out << view.description();
    }
    friend void PrintTo(const OrderedSetUnorderedView& view, std::ostream* out) { *out << view.description(); }

private:
    OrderedSet<Element> base_;
};

template <class Element>
OrderedSetUnorderedView<Element> OrderedSet<Element>::unordered() const
{
    return UnorderedView(*this);
}

template <class Element>
template <class Body>
decltype(auto) OrderedSet<Element>::withUnordered(Body&& body)
{
    UnorderedView view(std::move(*this));
    InternalCollectionsUtilities::ScopeExit giveBack([&] { *this = std::move(view).base(); });
    return std::invoke(std::forward<Body>(body), view);
}

} // namespace OrderedCollections

template <class Element>
struct std::hash<OrderedCollections::OrderedSetUnorderedView<Element>> {
    std::size_t operator()(const OrderedCollections::OrderedSetUnorderedView<Element>& view) const
    {
        return static_cast<std::size_t>(OrderedCollections::hashValue(view));
    }
};

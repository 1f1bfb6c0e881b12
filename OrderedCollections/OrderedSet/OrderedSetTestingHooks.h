#pragma once

// What tests read and set of an ordered set's index: its geometry, its
// buckets, and sets built with an exact geometry.

#include "OrderedCollections/OrderedSet/OrderedSet.h"

#include <optional>
#include <vector>

namespace OrderedCollections {

template <class Element>
class OrderedSet<Element>::UnstableInternals {
public:
    explicit UnstableInternals(const OrderedSet& set) : set_(&set) {}

    static constexpr bool isConsistencyCheckingEnabled = false;

    std::ptrdiff_t capacity() const { return set_->_capacity(); }
    std::ptrdiff_t minimumCapacity() const { return set_->_minimumCapacity(); }
    int scale() const { return set_->_scale(); }
    int reservedScale() const { return set_->_reservedScale(); }
    std::ptrdiff_t bias() const { return set_->_bias(); }
    // The offset each bucket stores, in bucket order; empty without an index.
    std::vector<std::optional<std::ptrdiff_t>> hashTableContents() const
    {
        return set_->table_ ? set_->table_->handle().debugContents() : std::vector<std::optional<std::ptrdiff_t>>{};
    }

private:
    const OrderedSet* set_;
};

template <class Element>
typename OrderedSet<Element>::UnstableInternals OrderedSet<Element>::unstable() const
{
    return UnstableInternals(*this);
}

// Scale 0 means no index; otherwise 5 to 56, enough for the contents. Biases
// are below the bucket count less one, and 0 at scale 0.
template <class Element>
OrderedSet<Element> OrderedSet<Element>::withExactGeometry(int scale, std::ptrdiff_t bias,
                                                           std::vector<Element> contents)
{
    using detail::HashTable;
    detail::precondition(scale >= 0 && scale <= HashTable::maximumScale && bias >= 0);
    detail::precondition(scale >= HashTable::scaleForCapacity(static_cast<std::ptrdiff_t>(contents.size())));
    detail::precondition(bias < std::max<std::ptrdiff_t>((std::ptrdiff_t(1) << scale) - 1, 1));
    detail::precondition(scale > 4 || bias == 0);
    HashTable table(std::max(scale, HashTable::minimumScale), 0);
    table.handle().setBias(bias);
    detail::precondition(detail::fillUntilFirstDuplicate(table.handle(), std::span<const Element>(contents)).success);
    OrderedSet set =
        _init(std::move(contents), scale >= HashTable::minimumScale ? std::optional(std::move(table)) : std::nullopt);
    detail::precondition(set._scale() == scale && set._bias() == bias);
    return set;
}

} // namespace OrderedCollections

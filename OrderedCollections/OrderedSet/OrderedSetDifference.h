#pragma once

// The changes that turn one ordered set into another (removals at offsets of
// the old set, insertions at offsets of the new one), and applying them.

#include "OrderedCollections/OrderedSet/OrderedSet.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace OrderedCollections {

template <class Element>
struct CollectionChange {
    enum class Kind { insert, remove };
    Kind kind;
    std::ptrdiff_t offset;
    Element element;
    // The element's position on the other side, when it is there.
    std::optional<std::ptrdiff_t> associatedOffset;

    friend bool operator==(const CollectionChange&, const CollectionChange&) = default;
};

// The changes from `other` (the old set) to `self`. Walks both sets once; where
// the cursors disagree, it records whichever change keeps the longer common stretch.
template <class Element>
std::vector<CollectionChange<Element>> difference(const OrderedSet<Element>& self, const OrderedSet<Element>& other)
{
    using Change = CollectionChange<Element>;
    std::vector<Change> changes;
    std::ptrdiff_t i = 0, j = 0;
    const auto remove = [&] {
        changes.push_back({Change::Kind::remove, i, other[i], self._find(other[i]).index});
        ++i;
    };
    const auto insert = [&] {
        changes.push_back({Change::Kind::insert, j, self[j], other._find(self[j]).index});
        ++j;
    };
    while (i < other.count() || j < self.count()) {
        if (j == self.count()) {
            remove();
            continue;
        }
        if (i == other.count()) {
            insert();
            continue;
        }
        const auto k = self._find(other[i]).index;
        if (!k || *k < j) {
            remove();
            continue;
        }
        const auto m = other._find(self[j]).index;
        if (!m || *m < i)
            insert();
        else if (*m == i) {
            ++i;
            ++j;
        } else if (*m - i < *k - j)
            insert();
        else
            remove();
    }
    return changes;
}

// The set that the changes make of `base`; none when they don't apply to it or
// would repeat an element.
template <class Element>
std::optional<OrderedSet<Element>> applying(const OrderedSet<Element>& base,
                                            const std::vector<CollectionChange<Element>>& changes)
{
    using Change = CollectionChange<Element>;
    std::vector<bool> removed(base.size(), false);
    std::vector<const Change*> insertions;
    for (const Change& change : changes) {
        if (change.kind == Change::Kind::remove) {
            if (change.offset < 0 || change.offset >= base.count() || removed[change.offset])
                return std::nullopt;
            removed[change.offset] = true;
        } else {
            insertions.push_back(&change);
        }
    }
    std::ranges::sort(insertions, {}, &Change::offset);
    std::vector<Element> result;
    std::size_t kept = 0;
    auto nextInsertion = insertions.begin();
    const auto takeKept = [&] {
        while (kept < base.size() && removed[kept])
            ++kept;
        if (kept == base.size())
            return false;
        result.push_back(base[kept++]);
        return true;
    };
    while (nextInsertion != insertions.end()) {
        const auto offset = static_cast<std::size_t>((*nextInsertion)->offset);
        if (offset == result.size()) {
            result.push_back((*nextInsertion)->element);
            ++nextInsertion;
        } else if (offset < result.size() || !takeKept()) {
            return std::nullopt;
        }
    }
    while (takeKept()) {}
    const std::size_t total = result.size();
    OrderedSet<Element> set(std::move(result));
    if (set.size() != total)
        return std::nullopt;
    return set;
}

} // namespace OrderedCollections

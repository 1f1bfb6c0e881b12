#pragma once

// Adding to an ordered set: each operation looks the item up once and hands
// the bucket where its probe ended to the insertion.

#include "OrderedCollections/OrderedSet/OrderedSet.h"

#include <optional>
#include <ranges>
#include <utility>

namespace OrderedCollections {

template <class Element>
typename OrderedSet<Element>::InsertResult OrderedSet<Element>::_append(Element item)
{
    const auto found = _find(item);
    if (found.index)
        return {false, *found.index};
    _appendNew(std::move(item), found.bucket);
    return {true, count() - 1};
}

template <class Element>
template <std::ranges::input_range Range>
void OrderedSet<Element>::appendContentsOf(Range&& range)
{
    for (auto&& element : range)
        _append(Element(std::forward<decltype(element)>(element)));
}

template <class Element>
typename OrderedSet<Element>::InsertResult OrderedSet<Element>::insert(Element item, std::ptrdiff_t position)
{
    const auto found = _find(item);
    if (found.index)
        return {false, *found.index};
    _insertNew(std::move(item), position, found.bucket);
    return {true, position};
}

template <class Element>
Element OrderedSet<Element>::update(Element item, std::ptrdiff_t position)
{
    detail::precondition(position >= 0 && position < count() && elements_[position] == item);
    return std::exchange(elements_[static_cast<std::size_t>(position)], std::move(item));
}

template <class Element>
std::optional<Element> OrderedSet<Element>::updateOrAppend(Element item)
{
    const auto found = _find(item);
    if (!found.index) {
        _appendNew(std::move(item), found.bucket);
        return std::nullopt;
    }
    return std::exchange(elements_[static_cast<std::size_t>(*found.index)], std::move(item));
}

template <class Element>
typename OrderedSet<Element>::UpdateResult OrderedSet<Element>::updateOrInsert(Element item, std::ptrdiff_t position)
{
    const auto found = _find(item);
    if (!found.index) {
        _insertNew(std::move(item), position, found.bucket);
        return {std::nullopt, position};
    }
    return {std::exchange(elements_[static_cast<std::size_t>(*found.index)], std::move(item)), *found.index};
}

} // namespace OrderedCollections
